#include "frota/gravacao.h"

#include "frota/nome.h"
#include "platform/temporary_names.h"
#include "platform/text.h"

namespace frota {

namespace {

// Only this file's own leftovers: other terminals' files are theirs.
void RemoveSobras(platform::FileSystem& files, const std::string& pasta, const std::string& nome) {
    const std::string prefixo = "~" + nome + ".";
    for (const platform::DirEntry& entrada : files.find(pasta + prefixo + "*.tmp")) {
        if (entrada.attributes & platform::attr::Directory) continue;
        if (platform::IsTemporaryName(entrada.name) && entrada.name.compare(0, prefixo.size(), prefixo) == 0)
            files.deleteFile(pasta + entrada.name);  // one still being written is refused
    }
}

bool GravaTemporario(platform::FileSystem& files, const std::string& temporario, std::string_view conteudo) {
    std::unique_ptr<platform::File> arquivo = files.createExclusive(temporario);
    if (!arquivo) return false;
    const auto tamanho = static_cast<int64_t>(conteudo.size());
    return arquivo->write(conteudo.data(), tamanho) == tamanho && arquivo->flush();
}

}  // namespace

std::string ComSeparador(std::string pasta) {
    if (!pasta.empty() && !platform::isSeparator(pasta.back())) pasta += platform::kColonIsDriveDelimiter ? '\\' : '/';
    return pasta;
}

bool GravaAtomico(platform::FileSystem& files, const std::string& pasta, const std::string& nome,
                  std::string_view conteudo) noexcept {
    try {
        const std::string destino = ComSeparador(pasta) + nome;
        RemoveSobras(files, ComSeparador(pasta), nome);
        const std::string temporario = platform::TemporaryNameFor(destino, platform::RandomTemporaryTag());
        if (GravaTemporario(files, temporario, conteudo) && files.replaceFile(temporario, destino)) return true;
        files.deleteFile(temporario);
    } catch (...) {
        // A record serves the administrator, never stops the terminal.
    }
    return false;
}

bool GravaEstado(platform::FileSystem& files, const std::string& pasta, const EstadoTerminal& estado) noexcept {
    try {
        return GravaAtomico(files, pasta, NomeDoRegistro(estado.maquina, estado.pastaPrograma),
                            TextoDoRegistro(estado));
    } catch (...) {
        return false;
    }
}

}  // namespace frota
