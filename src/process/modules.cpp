#include "process/modules.h"

#include <algorithm>
#include <optional>
#include <vector>

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

// The processes of the updater's own session (its own user on POSIX): a module that someone
// else runs on a shared terminal is none of this run's business. An entry whose owner cannot be
// told is left alone; when the updater cannot tell its own, every process counts, as before.
std::vector<platform::ProcessEntry> ownProcesses(platform::Processes& processes, platform::SnapshotKind kind) {
    std::vector<platform::ProcessEntry> list = processes.snapshot(kind);
    if (const std::optional<uint32_t> own = processes.currentOwner())
        std::erase_if(list, [&](const platform::ProcessEntry& entry) { return entry.owner != own; });
    return list;
}

}  // namespace

std::string VerModuloAberto(platform::Processes& processes, const std::string& Aplicacao,
                            uintptr_t& Handel, bool& ServidorAberto) {
    const bool named = isNamedMode(Aplicacao);
    const std::string wanted = platform::upperAscii(Aplicacao);
    for (const platform::ProcessEntry& entry : ownProcesses(processes, platform::SnapshotKind::All)) {
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
    for (const platform::ProcessEntry& entry : ownProcesses(processes, platform::SnapshotKind::ProcessesOnly)) {
        bool matches = platform::upperAscii(exeFileNamePart(entry.exeName)) == wanted ||
                       platform::upperAscii(entry.exeName) == wanted;
        if (matches) result = processes.terminate(entry) ? 1 : 0;
    }
    return result;
}

}  // namespace process
