// The run's own record of what it did: the log entries of its start, settings and end, the
// report box built from the copies' outcomes, and the exit status.
#include "app/ajuda.h"
#include "app/atualiza_modulo.h"
#include "app/exit_status.h"
#include "app/run_state.h"
#include "platform/text.h"
#include "settings/configuracao.h"

namespace app {

namespace {

std::string Argumentos() {
    std::string texto;
    for (int i = 1; i <= 2; ++i)
        if (!ParamStr(i).empty()) texto += " [" + ParamStr(i) + "]";
    return texto.empty() ? " (nenhum)" : texto;
}

}  // namespace

void TFrmAtuModulo::RegistraInicio() {
    InicioExecucao = std::time(nullptr);
    Registro.Escreve("=== início: AtualizaTerminalQOR7 versão " + Versao() + " (compilação " + Compilacao() +
                     "), argumentos:" + Argumentos());
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
    const std::string texto = feedback::TextoRelatorio(
        ListaAtualizados, feedback::LinhasDeModulos(Copias.Copias(), false, SeparadorMilhar));
    if (!texto.empty()) Caixa(ui::BoxKind::Information, texto);
}

ui::Answer TFrmAtuModulo::Caixa(ui::BoxKind kind, const std::string& texto) {
    Registro.Escreve("mensagem: " + texto);  // first: a box may wait for a long time
    return Aplicacao.MessageBox(kind, texto);
}

}  // namespace app
