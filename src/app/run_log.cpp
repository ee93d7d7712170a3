#include "app/run_log.h"

#include "app/ajuda.h"
#include "app/run_state.h"

namespace app {

namespace {

#ifdef _WIN32
constexpr std::string_view kFimDeLinha = "\r\n";
#else
constexpr std::string_view kFimDeLinha = "\n";
#endif

std::string Carimbo(std::time_t quando) {
    char texto[32] = "";
    if (const std::tm* local = std::localtime(&quando)) std::strftime(texto, sizeof texto, "%Y-%m-%d %H:%M:%S", local);
    return texto;
}

// Message texts break lines with a lone carriage return: each break continues the entry indented.
std::string Entrada(std::string_view texto, std::time_t quando) {
    while (!texto.empty() && (texto.back() == '\r' || texto.back() == '\n')) texto.remove_suffix(1);
    std::string linha = Carimbo(quando) + " ";
    for (char c : texto) {
        if (c == '\r' || c == '\n') linha += std::string(kFimDeLinha) + "                    ";
        else linha += c;
    }
    return linha + std::string(kFimDeLinha);
}

// Each argument that counts with its position: an empty first argument still says where the
// second one stands.
std::string Argumentos() {
    const int ultimo = !ParamStr(2).empty() ? 2 : !ParamStr(1).empty() ? 1 : 0;
    if (ultimo == 0) return " (nenhum)";
    std::string texto;
    for (int i = 1; i <= ultimo; ++i) texto += " " + std::to_string(i) + " [" + ParamStr(i) + "]";
    return texto;
}

}  // namespace

RegistroExecucao::RegistroExecucao(std::shared_ptr<platform::FileSystem> files, const std::string& pastaPrograma)
    : files_(std::move(files)),
      caminho_(pastaPrograma + std::string(kNomeLog)),
      anterior_(pastaPrograma + std::string(kNomeLogAnterior)) {}

void RegistroExecucao::Escreve(std::string_view texto) noexcept { Escreve(texto, std::time(nullptr)); }

void RegistroExecucao::Escreve(std::string_view texto, std::time_t quando) noexcept {
    if (!files_) return;
    try {
        Grava(Entrada(texto, quando));
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

void RegistraInicio(RegistroExecucao& registro) {
    if (InicioRegistrado()) return;
    MarcaInicioRegistrado();
    registro.Escreve("=== início: AtualizaTerminalQOR7 versão " + Versao() + " (compilação " + Compilacao() +
                         "), argumentos:" + Argumentos(),
                     InicioDoPrograma());
}

}  // namespace app
