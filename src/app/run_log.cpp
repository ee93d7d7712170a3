#include "app/run_log.h"

#include "app/ajuda.h"
#include "app/run_state.h"

#include "platform/temporary_names.h"
#include "platform/whole_file.h"

namespace app {

namespace {

// A log is kept near 1 MiB; one far larger is not read into memory to be cut.
constexpr size_t kLimiteLeitura = 64 * 1024 * 1024;

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

bool GravaInteiro(platform::FileSystem& files, const std::string& caminho, const std::string& texto) {
    const std::unique_ptr<platform::File> arquivo = files.createExclusive(caminho);
    return arquivo && arquivo->write(texto.data(), static_cast<int64_t>(texto.size())) == static_cast<int64_t>(texto.size()) &&
           arquivo->flush();
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
    if (!Cabe(linha) && !semEspaco_) {
        if (!files_->replaceFile(caminho_, anterior_)) Encurta();
        // Tried once a run: a file held now stays held, and each attempt reads the whole log.
        semEspaco_ = !Cabe(linha);
    }
    if (Cabe(linha)) files_->appendToFile(caminho_, linha);
}

bool RegistroExecucao::Cabe(const std::string& linha) {
    return files_->fileSize(caminho_).value_or(0) + linha.size() <= static_cast<uint64_t>(kTamanhoMaximoLog);
}

// The older generation could not take the log's place: the log keeps its newer half, written
// through a temporary that replaces it whole, so that a failure leaves the log as it was.
void RegistroExecucao::Encurta() {
    const std::optional<std::string> texto = platform::ReadWholeFile(*files_, caminho_, kLimiteLeitura);
    const size_t corte = texto ? texto->find('\n', texto->size() / 2) : std::string::npos;
    if (corte == std::string::npos) return;
    const std::string metade = Entrada("registro encurtado: " + std::string(kNomeLogAnterior) +
                                       " não pôde ser substituído",
                                       std::time(nullptr)) + texto->substr(corte + 1);
    const std::string temporario = platform::TemporaryNameFor(caminho_, platform::RandomTemporaryTag());
    if (GravaInteiro(*files_, temporario, metade) && files_->replaceFile(temporario, caminho_)) return;
    files_->deleteFile(temporario);
}

void RegistraInicio(RegistroExecucao& registro) {
    if (InicioRegistrado()) return;
    MarcaInicioRegistrado();
    registro.Escreve("=== início: AtualizaTerminalQOR7 versão " + Versao() + " (compilação " + Compilacao() +
                         "), argumentos:" + Argumentos(),
                     InicioDoPrograma());
}

}  // namespace app
