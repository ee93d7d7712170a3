#include "app/run_log.h"

#include <ctime>

namespace app {

namespace {

#ifdef _WIN32
constexpr std::string_view kFimDeLinha = "\r\n";
#else
constexpr std::string_view kFimDeLinha = "\n";
#endif

std::string Agora() {
    const std::time_t agora = std::time(nullptr);
    char texto[32] = "";
    if (const std::tm* local = std::localtime(&agora)) std::strftime(texto, sizeof texto, "%Y-%m-%d %H:%M:%S", local);
    return texto;
}

// Message texts break lines with a lone carriage return: each break continues the entry indented.
std::string Entrada(std::string_view texto) {
    while (!texto.empty() && (texto.back() == '\r' || texto.back() == '\n')) texto.remove_suffix(1);
    std::string linha = Agora() + " ";
    for (char c : texto) {
        if (c == '\r' || c == '\n') linha += std::string(kFimDeLinha) + "                    ";
        else linha += c;
    }
    return linha + std::string(kFimDeLinha);
}

}  // namespace

RegistroExecucao::RegistroExecucao(std::shared_ptr<platform::FileSystem> files, const std::string& pastaPrograma)
    : files_(std::move(files)),
      caminho_(pastaPrograma + std::string(kNomeLog)),
      anterior_(pastaPrograma + std::string(kNomeLogAnterior)) {}

void RegistroExecucao::Escreve(std::string_view texto) noexcept {
    if (!files_) return;
    try {
        Grava(Entrada(texto));
    } catch (...) {
        // The log serves the run, never the other way round.
    }
}

void RegistroExecucao::Grava(const std::string& linha) {
    const std::optional<uint64_t> tamanho = files_->fileSize(caminho_);
    if (tamanho && *tamanho + linha.size() > static_cast<uint64_t>(kTamanhoMaximoLog))
        files_->replaceFile(caminho_, anterior_);
    files_->appendToFile(caminho_, linha);
}

}  // namespace app
