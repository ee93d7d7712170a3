#include "process/cleanup.h"

#include "platform/text.h"

namespace process {

bool ServidorPodeRepor(platform::FileSystem& files, const std::string& pastaServidor,
                       const std::string& pastaPrograma) {
    const std::optional<platform::FileIdentity> servidor = files.folderIdentity(pastaServidor);
    const std::optional<platform::FileIdentity> programa = files.folderIdentity(pastaPrograma);
    return servidor && programa && *servidor != *programa;
}

void ApagaAntigos(platform::FileSystem& files, const std::string& Caminho, const ReportFn& report) {
    for (std::string_view mask : ArquivosAntigos) ExcluirArq(files, Caminho + std::string(mask), report);
}

void ExcluirArq(platform::FileSystem& files, const std::string& caminho, const ReportFn& report) {
    const std::string folder = platform::folderPart(caminho);
    for (const platform::DirEntry& entry : files.find(caminho)) {
        if (entry.attributes & platform::attr::Directory) continue;
        const std::string fullName = folder + entry.name;
        if (!files.deleteFile(fullName)) report(std::string(NaoConseguiExcluir) + fullName);
    }
}

}  // namespace process
