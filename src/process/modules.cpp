#include "process/modules.h"

#include <algorithm>

#include "platform/text.h"

namespace process {

namespace {

bool isNamedMode(const std::string& Aplicacao) {
    return !platform::trimBlanks(Aplicacao).empty();
}

bool isKnownModule(const std::string& upperName) {
    return std::find(ModulosConhecidos.begin(), ModulosConhecidos.end(), upperName) !=
           ModulosConhecidos.end();
}

// The process list may give a full path: the name is what follows the last "\" or ":" (Windows
// rules), and "/" too, so that a POSIX path is split the same way on every platform.
std::string exeFileNamePart(const std::string& exeName) {
    size_t at = exeName.find_last_of("\\:/");
    return at == std::string::npos ? exeName : exeName.substr(at + 1);
}

}  // namespace

std::string VerModuloAberto(platform::Processes& processes, const std::string& Aplicacao,
                            uintptr_t& Handel, bool& ServidorAberto) {
    const bool named = isNamedMode(Aplicacao);
    const std::string wanted = platform::upperAscii(Aplicacao);
    for (const platform::ProcessEntry& entry : processes.snapshot(platform::SnapshotKind::All)) {
        std::string name = platform::upperAscii(entry.exeName);
        if (named) {
            if (name != wanted) continue;
            Handel = entry.pid;
            return name;
        }
        if (!isKnownModule(name)) continue;
        // Once the server program has been seen, later finds must not clear the flag.
        if (!ServidorAberto) ServidorAberto = (name == ServidorQor);
        return name;
    }
    return std::string();
}

int32_t KillTask(platform::Processes& processes, const std::string& ExeFileName) {
    const std::string wanted = platform::upperAscii(ExeFileName);
    int32_t result = 0;
    for (const platform::ProcessEntry& entry :
         processes.snapshot(platform::SnapshotKind::ProcessesOnly)) {
        bool matches = platform::upperAscii(exeFileNamePart(entry.exeName)) == wanted ||
                       platform::upperAscii(entry.exeName) == wanted;
        if (matches) result = processes.terminate(entry.pid) ? 1 : 0;
    }
    return result;
}

}  // namespace process
