// The updater's own renewal wired into the run and into --voltar: the step itself lives in
// renovacao/; here its outcome reaches the log, the splash and the fleet's record.
#include <cstdlib>

#include "app/ajuda.h"
#include "app/atualiza_modulo.h"
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

}  // namespace

void TFrmAtuModulo::RenovaAtualizador() noexcept {
    try {
        lbArquivo.Caption = "Conferindo o atualizador";
        Aplicacao.ProcessMessages();
        Aplicacao.PaintPending();  // a new release is tried for some seconds
        renovacao::Ambiente ambiente = AmbienteDe(Plataforma, PastaPrograma());
        AnotaRenovacao(renovacao::Renova(ambiente, PastaServidor).texto);
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
