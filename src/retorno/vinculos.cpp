#include "retorno/vinculos.h"

namespace retorno {

bool RemoveNome(platform::FileSystem& files, const std::string& nome, const std::string& outroNome) {
    const std::optional<uint32_t> atributos = files.attributes(nome);
    if (!atributos) return true;
    if (files.deleteFile(nome)) return true;
    if (!(*atributos & platform::attr::ReadOnly)) return false;
    const std::optional<uint32_t> doOutro = outroNome.empty() ? std::nullopt : files.attributes(outroNome);
    const bool removido = files.setAttributes(nome, platform::attr::Archive) && files.deleteFile(nome);
    if (doOutro && files.attributes(outroNome) != doOutro) files.setAttributes(outroNome, *doOutro);
    if (!removido) files.setAttributes(nome, *atributos);
    return removido;
}

std::optional<uint32_t> LiberaParaSubstituir(platform::FileSystem& files, const std::string& caminho) {
    const std::optional<uint32_t> atributos = files.attributes(caminho);
    if (atributos && (*atributos & platform::attr::ReadOnly)) files.setAttributes(caminho, platform::attr::Archive);
    return atributos;
}

bool CriaPastas(platform::FileSystem& files, const std::string& pastaPrograma, const std::string& relativo) {
    for (size_t fim = relativo.find_first_of("\\/"); fim != std::string::npos; fim = relativo.find_first_of("\\/", fim + 1)) {
        const std::string pasta = pastaPrograma + relativo.substr(0, fim);
        if (!files.dirExists(pasta) && !files.createDirectory(pasta) && !files.dirExists(pasta)) return false;
    }
    return true;
}

}  // namespace retorno
