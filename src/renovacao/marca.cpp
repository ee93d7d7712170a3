#include "renovacao/marca.h"

#include <charconv>

#include "identidade/sha256.h"

namespace renovacao {

namespace {

// Only the end of a file can hold the mark: everything before it goes into the sum as it is read.
constexpr size_t kCauda = 512;

#ifdef _WIN32
constexpr std::string_view kFormato = "MZ";
#else
constexpr std::string_view kFormato = "\x7f" "ELF";
#endif

std::optional<std::string> Campo(std::string_view texto, std::string_view nome) {
    const std::string chave = " " + std::string(nome) + "=";
    const size_t inicio = texto.find(chave);
    if (inicio == std::string_view::npos) return std::nullopt;
    const size_t valor = inicio + chave.size();
    const size_t fim = texto.find_first_of(" \n", valor);
    return std::string(texto.substr(valor, fim == std::string_view::npos ? std::string_view::npos : fim - valor));
}

LeituraDaMarca Recusa(std::string motivo) { return {std::nullopt, std::move(motivo)}; }

}  // namespace

std::string TextoDaMarca(const Marca& marca, const std::string& sha256) {
    return std::string(kInicioDaMarca) + "versao=" + marca.versao + " compilacao=" + marca.compilacao +
           " tamanho=" + std::to_string(marca.tamanho) + " sha256=" + sha256 + "\n";
}

LeituraDaMarca LeMarca(platform::FileSystem& files, const std::string& caminho) {
    std::unique_ptr<platform::File> arquivo = files.openRead(caminho);
    if (!arquivo) return Recusa("o arquivo não pôde ser aberto");
    identidade::Sha256 soma;
    std::string cauda, inicio;
    uint64_t somados = 0;
    char bloco[64 * 1024];
    for (;;) {
        const int64_t lidos = arquivo->read(bloco, sizeof bloco);
        if (lidos < 0) return Recusa("o arquivo não pôde ser lido até o fim");
        if (lidos == 0) break;
        if (inicio.size() < kFormato.size()) inicio.append(bloco, static_cast<size_t>(std::min<int64_t>(lidos, 8)));
        cauda.append(bloco, static_cast<size_t>(lidos));
        if (cauda.size() > 2 * kCauda) {
            const size_t passa = cauda.size() - kCauda;
            soma.Add(std::string_view(cauda).substr(0, passa));
            somados += passa;
            cauda.erase(0, passa);
        }
    }
    if (!inicio.starts_with(kFormato)) return Recusa("não é um programa deste sistema");
    const size_t onde = cauda.rfind(kInicioDaMarca);
    if (onde == std::string::npos || cauda.back() != '\n')
        return Recusa("sem a marca de uma compilação do atualizador (programa de outro, ou cortado)");
    const std::string_view texto = std::string_view(cauda).substr(onde + 1);
    const auto versao = Campo(texto, "versao"), compilacao = Campo(texto, "compilacao");
    const auto tamanho = Campo(texto, "tamanho"), sha = Campo(texto, "sha256");
    uint64_t bytes = 0;
    if (!versao || !compilacao || !tamanho || !sha || versao->empty() ||
        std::from_chars(tamanho->data(), tamanho->data() + tamanho->size(), bytes).ec != std::errc())
        return Recusa("marca ilegível");
    if (bytes != somados + onde) return Recusa("o tamanho não é o que a marca diz (arquivo cortado ou alterado)");
    soma.Add(std::string_view(cauda).substr(0, onde));
    if (identidade::TextoDoResumo(soma.Value()) != *sha) return Recusa("o conteúdo não confere com a marca (arquivo alterado ou incompleto)");
    return {Marca{*versao, *compilacao, bytes}, ""};
}

}  // namespace renovacao
