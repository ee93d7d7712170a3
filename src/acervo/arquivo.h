// The record beside the program: one line per file, readable, ended by a line that counts the
// entries and carries the digest of everything before it. Missing, unreadable or damaged, it
// reads as empty; it is written whole under another name and then moved over the old one, so a
// kill leaves the old record or the new one.
#pragma once

#include <string>
#include <string_view>

#include "acervo/acervo.h"
#include "platform/platform.h"

namespace acervo {

// No mask of the old-version clean-up matches it.
inline constexpr std::string_view kNomeArquivo = "AtualizaTerminalQOR7.acervo";
// Larger than any program folder's record; a bigger file is no record of ours.
inline constexpr size_t kTamanhoMaximo = 16 * 1024 * 1024;

std::string Texto(const Acervo& acervo);
Acervo DoTexto(std::string_view texto);  // empty when damaged

Acervo Le(platform::FileSystem& files, const std::string& pastaPrograma);
// False when it could not be written; the old record then stays as it was.
bool Grava(platform::FileSystem& files, const std::string& pastaPrograma, const Acervo& acervo);

}  // namespace acervo
