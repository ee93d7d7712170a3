// The few file steps that keeping and restoring share: a name removed although its file is
// read-only, a file readied to be replaced, the folders of a kept name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace retorno {

// Removes the name `nome` (true when it is gone, or was never there). Both systems refuse to
// remove a read-only file: its bit is cleared for the removal, and when `outroNome` is the same
// file under another name, that name gets its attributes back.
bool RemoveNome(platform::FileSystem& files, const std::string& nome, const std::string& outroNome);

// Clears the read-only bit of a file that is about to be replaced, as both systems refuse to
// replace one; gives the attributes it had (none when it does not exist), for a failure to put back.
std::optional<uint32_t> LiberaParaSubstituir(platform::FileSystem& files, const std::string& caminho);

// Creates the folders between the program folder and the file `relativo` names in it (each one
// level at a time); false when one cannot be made.
bool CriaPastas(platform::FileSystem& files, const std::string& pastaPrograma, const std::string& relativo);

}  // namespace retorno
