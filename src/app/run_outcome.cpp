// The run's own record of what it did: the log entries of its start, settings and end, the
// report box built from the copies' outcomes, and the exit status.
#include <chrono>

#include "app/atualiza_modulo.h"
#include "app/exit_status.h"
#include "app/run_state.h"
#include "platform/text.h"
#include "retorno/relato.h"
#include "settings/configuracao.h"

namespace app {

void TFrmAtuModulo::RegistraInicio() {
    InicioExecucao = InicioDoPrograma();
    app::RegistraInicio(Registro);
}

void TFrmAtuModulo::RegistraConfiguracao(const std::string& pastaServidor) {
    const settings::TConfigInstalacao config = settings::LerConfiguracao(*Plataforma.system);
    Registro.Escreve("configuração: modo " + std::string(config.Servidor.empty() ? "local" : "servidor") +
                     ", pasta de programas do servidor " + platform::pathForDisplay(pastaServidor));
}

void TFrmAtuModulo::RegistraFim() {
    if (Copias.AlgumNaoAtualizado()) CodigoSaida |= SaidaArquivoNaoAtualizado;
    const bool falha = (CodigoSaida & SaidaCaminhoDeFalha) != 0;
    Registro.Escreve("=== fim: " + std::string(falha ? "caminho de falha" : "caminho normal") + ", código de saída " +
                     std::to_string(CodigoSaida));
}

void TFrmAtuModulo::MostraRelatorio() {
    // Only the modules the terminal now holds in the server's version count as updated.
    ListaAtualizados = feedback::LinhasDeModulos(Copias.Copias(), true, SeparadorMilhar);
    const std::string naoAtualizados = feedback::LinhasDeModulos(Copias.Copias(), false, SeparadorMilhar);
    const std::string texto = feedback::TextoRelatorio(ListaAtualizados, naoAtualizados);
    if (texto.empty()) return;
    // Files held back by a step back are named only in a box the run shows anyway.
    const std::string retidos = Retidos.empty() ? "" : "\r" + retorno::SecaoRetidos(Retidos);
    // Modules that stayed old are something the user must pass on to support.
    Caixa(naoAtualizados.empty() ? ui::BoxKind::Information : ui::BoxKind::Warning, texto + retidos, ui::BoxLayout::Columns);
}

ui::Answer TFrmAtuModulo::Caixa(ui::BoxKind kind, const std::string& texto, ui::BoxLayout layout) {
    Registro.Escreve("mensagem: " + texto);  // first: a box may wait for a long time
    AnotaCaixaNaFrota();
    const auto inicio = std::chrono::steady_clock::now();
    const ui::Answer resposta = Aplicacao.MessageBox(kind, texto, layout);
    SegundosEmCaixas += std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    if (kind == ui::BoxKind::Confirmation) Registro.Escreve(std::string("resposta: ") + (resposta == ui::Answer::Yes ? "Sim" : "Não"));
    return resposta;
}

}  // namespace app
