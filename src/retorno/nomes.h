// Where the versions replaced by copies are kept: one folder beside the program, holding each
// file's previous generation under the file's own name (sub-folders mirrored) in "guardadas", and
// in "pendentes" the second names that a copy or a step back holds for a moment while it works.
// The old-version clean-up never reaches it (its masks list the program folder and TABDEF only,
// and pass over folders) and the catalogue can never name a file inside it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace retorno {

inline constexpr std::string_view kPastaAnteriores = "AtualizaTerminalQOR7.anteriores";
inline constexpr std::string_view kGuardadas = "guardadas";
inline constexpr std::string_view kPendentes = "pendentes";

// A name relative to the program folder with its "." and ".." resolved and "\" between its
// components ("sub\..\x.exe" is "x.exe"); none when nothing is left or it climbs out.
std::optional<std::string> NomeNormal(std::string_view nome);

// Whether a catalogue name leads into that folder, as POSIX or Windows would read it
// (Windows drops a component's trailing dots and blanks), letter case ignored.
bool NomeReservado(std::string_view nome);

// The kept previous generation and the pending second name of a file, from its normal name;
// relative to the program folder, as the file's own name is.
std::string NomeGuardado(const std::string& nomeNormal);
std::string NomePendente(const std::string& nomeNormal);

}  // namespace retorno
