#include "app/logged_platform.h"

#include "platform/text.h"

namespace app {

std::vector<platform::ProcessEntry> ProcessosRegistrados::snapshot(platform::SnapshotKind kind) {
    return inner_->snapshot(kind);
}

bool ProcessosRegistrados::terminate(const platform::ProcessEntry& process) {
    const bool ended = inner_->terminate(process);
    const std::string what = platform::fileNamePart(process.exeName) + " (pid " + std::to_string(process.pid) + ")";
    if (told_.insert(process.pid).second) log_.Escreve((ended ? "módulo encerrado: " : "módulo NÃO encerrado (recusado): ") + what);
    return ended;
}

bool ArquivosRegistrados::deleteFile(const std::string& path) {
    const bool deleted = ForwardingFileSystem::deleteFile(path);
    log_.Escreve((deleted ? "excluído: " : "NÃO excluído: ") + platform::pathForDisplay(path));
    return deleted;
}

}  // namespace app
