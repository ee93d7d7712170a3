#include "renovacao/memoria.h"

#include <charconv>
#include <sstream>

#include "platform/temporary_names.h"
#include "platform/whole_file.h"

namespace renovacao {

namespace {

std::string Texto(const Identidade& id) { return id.versao + " " + id.compilacao; }

Identidade DeTexto(const std::string& texto) {
    const size_t espaco = texto.find(' ');
    if (espaco == std::string::npos) return {texto, ""};
    return {texto.substr(0, espaco), texto.substr(espaco + 1)};
}

std::optional<platform::FileStamp> Carimbo(const std::string& texto) {
    platform::FileStamp carimbo;
    const size_t espaco = texto.find(' ');
    if (espaco == std::string::npos) return std::nullopt;
    if (std::from_chars(texto.data(), texto.data() + espaco, carimbo.size).ec != std::errc() ||
        std::from_chars(texto.data() + espaco + 1, texto.data() + texto.size(), carimbo.lastWrite).ec != std::errc())
        return std::nullopt;
    return carimbo;
}

}  // namespace

Memoria LeMemoria(platform::FileSystem& files, const std::string& pastaPrograma) {
    Memoria memoria;
    // A memory larger than any we write is no memory of ours: every file is judged again.
    std::istringstream linhas(platform::ReadWholeFile(files, pastaPrograma + kNomeMemoria, 64 * 1024).value_or(""));
    for (std::string linha; std::getline(linhas, linha);) {
        const size_t igual = linha.find('=');
        if (igual == std::string::npos) continue;
        const std::string chave = linha.substr(0, igual), valor = linha.substr(igual + 1);
        if (chave == "candidato") memoria.candidato = Carimbo(valor);
        else if (chave == "desfecho") memoria.desfecho = valor;
        else if (chave == "motivo") memoria.motivo = valor;
        else if (chave == "nossa") memoria.nossa = DeTexto(valor);
        else if (chave == "nova") memoria.nova = DeTexto(valor);
        else if (chave == "anterior") memoria.anterior = DeTexto(valor);
    }
    return memoria;
}

bool GravaMemoria(platform::FileSystem& files, const std::string& pastaPrograma, const Memoria& memoria) {
    std::string texto;
    if (memoria.candidato)
        texto += "candidato=" + std::to_string(memoria.candidato->size) + " " + std::to_string(memoria.candidato->lastWrite) + "\n";
    texto += "desfecho=" + memoria.desfecho + "\nmotivo=" + memoria.motivo + "\nnossa=" + Texto(memoria.nossa) +
             "\nnova=" + Texto(memoria.nova) + "\nanterior=" + Texto(memoria.anterior) + "\n";
    const std::string destino = pastaPrograma + kNomeMemoria;
    const std::string temporario = platform::TemporaryNameFor(destino, platform::RandomTemporaryTag());
    {
        std::unique_ptr<platform::File> arquivo = files.createExclusive(temporario);
        if (!arquivo) return false;
        const bool escrito = arquivo->write(texto.data(), static_cast<int64_t>(texto.size())) ==
                                 static_cast<int64_t>(texto.size()) &&
                             arquivo->flush();
        if (!escrito) {
            arquivo.reset();
            files.deleteFile(temporario);
            return false;
        }
    }
    if (files.replaceFile(temporario, destino)) return true;
    files.deleteFile(temporario);
    return false;
}

}  // namespace renovacao
