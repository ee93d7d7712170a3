// What the terminal remembers of the last release it judged, beside the program
// (AtualizaTerminalQOR7.renovacao): the same file on the server is not read, copied or tried again,
// and a refusal is told once. Lines "key=value"; a file that does not read is an empty memory.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace renovacao {

inline constexpr const char* kNomeMemoria = "AtualizaTerminalQOR7.renovacao";

struct Identidade {
    std::string versao, compilacao;
    bool operator==(const Identidade&) const = default;
};

struct Memoria {
    std::optional<platform::FileStamp> candidato;  // the server's file as it was judged
    std::string desfecho;                          // igual, recusada, tomada, retida
    std::string motivo;
    Identidade nossa;     // the updater that judged it
    Identidade nova;      // tomada: the release taken
    Identidade anterior;  // tomada: the one it replaced, kept beside the program
    bool operator==(const Memoria&) const = default;
};

Memoria LeMemoria(platform::FileSystem& files, const std::string& pastaPrograma);
// Through a temporary, flushed, then over the old memory; false when it could not be written.
bool GravaMemoria(platform::FileSystem& files, const std::string& pastaPrograma, const Memoria& memoria);

}  // namespace renovacao
