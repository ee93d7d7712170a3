// The updater's own renewal wired into the run and into --voltar: the step itself lives in
// renovacao/; here its outcome reaches the log, the splash and the fleet's record.
#include <cstdlib>

#include "app/renovacao.h"

#include "app/ajuda.h"
#include "app/atualiza_modulo.h"
#include "app/run_log.h"
#include "platform/text.h"
#include "renovacao/renovacao.h"

namespace app {

namespace {

// How long a new release's --simular may take: ATUALIZA_PROVA_SEGUNDOS, else a minute.
double SegundosDaProva() {
    const char* texto = std::getenv("ATUALIZA_PROVA_SEGUNDOS");
    const double segundos = texto ? std::atof(texto) : 0;
    return segundos > 0 ? segundos : 60;
}

renovacao::Ambiente AmbienteDe(platform::Platform& plataforma, const std::string& pastaPrograma) {
    return {*plataforma.files, *plataforma.processes, pastaPrograma,
            renovacao::Identidade{Versao(), renovacao::CompilacaoNaMarca(Compilacao())}, SegundosDaProva()};
}

// How long the copy waits for this run to end before it leaves the swap to the next run.
constexpr double kSegundosDaAssuncao = 120;

// The proven copy started on its own: it takes the program's name once this process has ended.
bool IniciaAssuncao(platform::Platform& plataforma, const std::string& pastaPrograma) {
    const std::optional<platform::ProcessEntry> nos = plataforma.processes->current();
    if (!nos) return false;
    const std::string argumentos =
        std::string(kComandoAssumir) + " " + std::to_string(nos->pid) + " " + std::to_string(nos->started);
    return plataforma.shell->execute(nullptr, "open", pastaPrograma + renovacao::NomeNovo(), argumentos, pastaPrograma, 0) > 32;
}

std::optional<uint64_t> Numero(const std::string& texto) {
    if (texto.empty() || texto.size() > 20 || texto.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stoull(texto);
}

}  // namespace

std::optional<int> ComandoAssumir(const std::vector<std::string>& argumentos, platform::Platform& plataforma) {
    if (argumentos.size() < 2 || argumentos[1] != kComandoAssumir) return std::nullopt;
    const std::optional<uint64_t> pid = argumentos.size() == 4 ? Numero(argumentos[2]) : std::nullopt;
    const std::optional<uint64_t> inicio = argumentos.size() == 4 ? Numero(argumentos[3]) : std::nullopt;
    if (!pid || !inicio || *pid > UINT32_MAX) return 0;  // typed by hand: nothing happens
    try {
        const std::string proprio = plataforma.system->executablePath();
        const std::string pasta = platform::folderPart(proprio);
        renovacao::Ambiente ambiente = AmbienteDe(plataforma, pasta);
        const renovacao::Resultado r =
            renovacao::Assume(ambiente, proprio, {"", static_cast<uint32_t>(*pid), std::nullopt, *inicio}, kSegundosDaAssuncao);
        if (!r.texto.empty())
            RegistroExecucao(plataforma.files, pasta).Escreve("renovação do atualizador " + platform::pathForDisplay(r.texto));
    } catch (...) {
        // Nothing shown to anyone: the next run retakes a swap that did not happen.
    }
    return 0;
}

void TFrmAtuModulo::RenovaAtualizador() noexcept {
    try {
        lbArquivo.Caption = "Conferindo o atualizador";
        Aplicacao.ProcessMessages();
        Aplicacao.PaintPending();  // a new release is tried for some seconds
        renovacao::Ambiente ambiente = AmbienteDe(Plataforma, PastaPrograma());
        renovacao::Resultado resultado = renovacao::Renova(ambiente, PastaServidor);
        if (resultado.assumir && !IniciaAssuncao(Plataforma, PastaPrograma()))
            resultado.texto = "falhou: a nova versão não pôde ser iniciada para tomar o lugar do atualizador; a próxima "
                              "execução tenta de novo";
        AnotaRenovacao(resultado.texto);
    } catch (...) {
        AnotaRenovacao("falhou: erro inesperado ao conferir a nova versão do atualizador");
    }
}

void TFrmAtuModulo::DevolveAtualizador() noexcept {
    try {
        renovacao::Ambiente ambiente = AmbienteDe(Plataforma, PastaPrograma());
        AnotaRenovacao(renovacao::Devolve(ambiente).texto);
    } catch (...) {
        AnotaRenovacao("falhou: erro inesperado ao devolver o atualizador anterior");
    }
}

void TFrmAtuModulo::AnotaRenovacao(const std::string& texto) {
    if (texto.empty()) return;
    Renovacao = platform::pathForDisplay(texto);
    Registro.Escreve("renovação do atualizador " + Renovacao);
}

}  // namespace app
