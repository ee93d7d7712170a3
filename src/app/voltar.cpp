// --voltar: the last update taken back on this terminal, the modules ended first as a run ends
// them and the chosen module started at the end; and what an update run tells of the files that
// a step back holds on their earlier version.
#include "acervo/arquivo.h"
#include "app/atualiza_modulo.h"
#include "app/exit_status.h"
#include "app/run_state.h"
#include "platform/text.h"
#include "retorno/diario.h"
#include "retorno/relato.h"
#include "retorno/volta.h"

namespace app {

namespace {

int CodigoDaVolta(const retorno::Volta& volta) {
    if (volta.Quantos(retorno::Desfecho::NaoVoltou) > 0) return SaidaArquivoNaoAtualizado;
    return volta.Quantos(retorno::Desfecho::Voltou) > 0 ? SaidaNormal : SaidaNadaAVoltar;
}

constexpr const char* kRegistroNaoGravado =
    "\r\rO registro deste terminal não pôde ser gravado: a próxima atualização pode trazer de novo a "
    "versão desfeita. Avise o suporte.";

}  // namespace

void TFrmAtuModulo::VoltaUltimaAtualizacao() {
    Registro.Escreve("pedido: voltar à versão anterior (desfazer a última atualização deste terminal)");
    lbArquivo.Caption = "Voltando à versão anterior";
    // Nothing is copied: the copy's label and counters would speak of copying.
    for (ui::TControl* copia : std::initializer_list<ui::TControl*>{&Label2, &lbArquivo2, &LabBytesCopiados, &LabTotalBytes})
        copia->Visible = false;
    Aplicacao.ProcessMessages();
    try {
        // Everything it needs is on the terminal: the record and the kept versions.
        acervo::Acervo registro = acervo::Le(*Plataforma.files, PastaPrograma());
        // A run killed before it wrote the record is the last one, with what its journal tells.
        retorno::Retoma(*Plataforma.files, PastaPrograma(), registro, [this](const std::string& linha) { Registro.Escreve(linha); });
        const retorno::Volta volta = retorno::VoltaUltimaAtualizacao(*Plataforma.files, PastaPrograma(), registro);
        for (const std::string& linha : retorno::LinhasDaVolta(volta)) Registro.Escreve(linha);
        for (const retorno::ArquivoDaVolta& a : volta.arquivos) {
            if (a.desfecho == retorno::Desfecho::Voltou) Voltaram.push_back(a.nome);
            if (a.desfecho == retorno::Desfecho::NaoVoltou) NaoVoltaram.push_back(a.nome);
        }
        CodigoSaida |= CodigoDaVolta(volta);
        std::string texto = retorno::TextoDaVolta(volta);
        if (!registro.Alterado() || acervo::Grava(*Plataforma.files, PastaPrograma(), registro)) {
            if (registro.Alterado()) retorno::ApagaDiario(*Plataforma.files, PastaPrograma());
        } else {
            AvisaAcervoNaoGravado();
            CodigoSaida |= SaidaArquivoNaoAtualizado;
            texto += kRegistroNaoGravado;
        }
        DevolveAtualizador();
        if (!Renovacao.empty()) texto += "\r\rAtualizador: " + Renovacao;
        if (Renovacao.starts_with("tomada")) CodigoSaida &= ~SaidaNadaAVoltar;  // the updater came back
        Caixa((CodigoSaida & SaidaArquivoNaoAtualizado) ? ui::BoxKind::Error : ui::BoxKind::Information, texto,
              ui::BoxLayout::Columns);
    } catch (const std::exception& erro) {
        MotivoDaFalha = erro.what();
        CodigoSaida |= SaidaCaminhoDeFalha;
        Registro.Escreve("erro: " + MotivoDaFalha);
        Caixa(ui::BoxKind::Error, "Não foi possível voltar à versão anterior:\r" + MotivoDaFalha);
    }
    ReiniciaServidor();
    IniciaModuloPedido();
}

void TFrmAtuModulo::AnotaRetidos() {
    if (!Pastas) return;
    Retidos = retorno::ArquivosRetidos(Acervo, [this](const std::string& nome) -> std::optional<platform::FileStamp> {
        const Listagens::Resposta noServidor = Pastas->Procura(PastaServidor, nome);
        return noServidor.versao ? std::optional(noServidor.versao->stamp) : std::nullopt;
    });
    for (const std::string& nome : Retidos)
        Registro.Escreve("mantido na versão anterior (a atualização foi desfeita neste terminal): " +
                         platform::pathForDisplay(nome));
}

void TFrmAtuModulo::PreencheRetorno(frota::EstadoTerminal& estado) const {
    if (AcervoNaoGravado) estado.adicionais.push_back({"acervo_nao_gravado", "sim"});
    if (!VoltarPedido) {
        estado.listasAdicionais.push_back({"arquivos_retidos", "arquivo_retido", Retidos});
        return;
    }
    estado.comando = "voltar";
    estado.catalogoIncompleto = false;  // it reads no catalogue
    if (estado.codigoSaida) estado.significadoCodigo = SignificadoDoCodigoVoltar(*estado.codigoSaida);
    estado.listasAdicionais.push_back({"arquivos_voltaram", "arquivo_voltou", Voltaram});
    estado.listasAdicionais.push_back({"arquivos_nao_voltaram", "arquivo_nao_voltou", NaoVoltaram});
}

}  // namespace app
