#include "app/logged_platform.h"

#include "platform/text.h"

namespace app {

std::vector<platform::ProcessEntry> ProcessosRegistrados::snapshot(platform::SnapshotKind kind) {
    std::vector<platform::ProcessEntry> entries = inner_->snapshot(kind);
    seen_ = entries;
    return entries;
}

std::string ProcessosRegistrados::NameOf(uint32_t pid) const {
    for (const platform::ProcessEntry& entry : seen_)
        if (entry.pid == pid) return entry.exeName;
    return "?";
}

bool ProcessosRegistrados::terminate(uint32_t pid) {
    const bool ended = inner_->terminate(pid);
    const std::string what = platform::fileNamePart(NameOf(pid)) + " (pid " + std::to_string(pid) + ")";
    if (told_.insert(pid).second) log_.Escreve((ended ? "módulo encerrado: " : "módulo NÃO encerrado (recusado): ") + what);
    return ended;
}

bool ArquivosRegistrados::deleteFile(const std::string& path) {
    const bool deleted = ForwardingFileSystem::deleteFile(path);
    log_.Escreve((deleted ? "excluído: " : "NÃO excluído: ") + platform::pathForDisplay(path));
    return deleted;
}

}  // namespace app
