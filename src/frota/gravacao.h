// Writing into the TERMINAIS folder of the share, where many terminals and the administrator
// read at any moment: a reader sees a file's old content or its new one, never a part.
#pragma once

#include <string>
#include <string_view>

#include "frota/estado.h"
#include "platform/platform.h"

namespace frota {

// The folder under the server program folder that the administrator creates to have the records.
inline constexpr std::string_view kPastaTerminais = "TERMINAIS";

// `pasta` with a separator at its end.
std::string ComSeparador(std::string pasta);

// Writes `conteudo` as `pasta` + `nome` through a temporary of the copies' form in the same
// folder, flushed, then put in place over the old file; a failed write removes its temporary
// and leaves the old file. Temporaries of this same name left by a killed write are removed
// first. False when the file could not be written. Never throws.
bool GravaAtomico(platform::FileSystem& files, const std::string& pasta, const std::string& nome,
                  std::string_view conteudo) noexcept;

// The record of `estado` as this terminal's file of `pasta` (NomeDoRegistro of its machine and
// program folder). False when it could not be written. Never throws.
bool GravaEstado(platform::FileSystem& files, const std::string& pasta, const EstadoTerminal& estado) noexcept;

}  // namespace frota
