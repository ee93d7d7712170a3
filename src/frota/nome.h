// Where in the TERMINAIS folder a terminal's record lies. The name is made here from what the
// terminal knows of itself; a record's content never names a file.
#pragma once

#include <string>
#include <string_view>

namespace frota {

inline constexpr size_t kLimiteNomeMaquina = 40;

// "<MACHINE>_<8 hex digits>.txt": the machine name in upper case with every character but ASCII
// letters, digits and "-" made "_", at most kLimiteNomeMaquina characters ("TERMINAL" when
// nothing is left), and a hash of the program folder, so that two installations on one machine
// are two terminals. A bare file name: never a path, and never a Windows device name (CON, NUL,
// COM1...), since the hash always follows the machine's part before the first dot.
std::string NomeDoRegistro(std::string_view maquina, std::string_view pastaPrograma);

// Whether a file name of the folder has that form (letter case of ".txt" ignored).
bool EhNomeDeRegistro(std::string_view nome);

}  // namespace frota
