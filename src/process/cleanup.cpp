#include "process/cleanup.h"

#include "platform/text.h"
#include "platform/wildcard.h"

namespace process {

bool ServidorPodeRepor(platform::FileSystem& files, const std::string& pastaServidor,
                       const std::string& pastaPrograma) {
    const std::optional<platform::FileIdentity> servidor = files.folderIdentity(pastaServidor);
    const std::optional<platform::FileIdentity> programa = files.folderIdentity(pastaPrograma);
    return servidor && programa && *servidor != *programa;
}

void ApagaAntigos(platform::FileSystem& files, const std::string& Caminho, const ReportFn& report,
                  const KeepFn& keep) {
    for (std::string_view mask : ArquivosAntigos) ExcluirArq(files, Caminho + std::string(mask), report, keep);
}

void ExcluirArq(platform::FileSystem& files, const std::string& caminho, const ReportFn& report, const KeepFn& keep) {
    const std::string folder = platform::folderPart(caminho);
    for (const platform::DirEntry& entry : files.find(caminho)) {
        if (entry.attributes & platform::attr::Directory) continue;
        const std::string fullName = folder + entry.name;
        if (keep && keep(fullName, entry)) continue;
        if (!files.deleteFile(fullName)) report(std::string(NaoConseguiExcluir) + fullName);
    }
}

bool NomeAntigo(const std::string& nome) {
    const std::string pasta = platform::folderPart(nome), arquivo = platform::fileNamePart(nome);
    const auto mesmaPasta = [](std::string a, std::string b) {
        for (std::string* texto : {&a, &b})
            for (char& c : *texto)
                if (c == '/') c = '\\';
        return platform::equalsIgnoringAsciiCase(a, b);
    };
    for (std::string_view mask : ArquivosAntigos)
        if (mesmaPasta(pasta, platform::folderPart(mask)) && platform::matchesPattern(platform::fileNamePart(mask), arquivo))
            return true;
    return false;
}

}  // namespace process
