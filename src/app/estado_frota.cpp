// The run's state record for the fleet: filled from what the run already keeps (the copies'
// outcomes, the exit status, the failure, the catalogue) and left in the server's TERMINAIS folder
// when the administrator created it. Writing it never changes what the run does.
#include "app/ajuda.h"
#include "app/atualiza_modulo.h"
#include "app/exit_status.h"
#include "feedback/relatorio.h"
#include "frota/gravacao.h"
#include "frota/leitura.h"
#include "frota/nome.h"
#include "frota/tempo.h"
#include "platform/text.h"
#include "settings/retorna_caminho.h"

namespace app {

namespace {

void PreencheCopias(frota::EstadoTerminal& estado, const std::vector<feedback::ResultadoCopia>& copias) {
    for (const feedback::ResultadoCopia& copia : copias) {
        if (copia.atualizado) {
            ++estado.copiados;
            estado.bytesCopiados += copia.tamanho;
            estado.segundosCopiando += copia.segundos;
            continue;
        }
        estado.arquivosAtrasados.push_back(copia.nome);
        if (feedback::EhModuloExecutavel(copia.nome)) estado.modulosAntigos.push_back(copia.nome);
    }
}

void PreencheCatalogo(frota::EstadoTerminal& estado, platform::FileSystem& files, const std::string& caminho) {
    if (caminho.empty()) return;
    estado.catalogo = platform::pathForDisplay(caminho);
    if (const auto carimbo = files.stampOf(caminho)) {
        estado.catalogoTamanho = carimbo->size;
        estado.catalogoHora = frota::HoraDeArquivo(carimbo->lastWrite);
    }
}

// The last success that this terminal's previous record tells (anyone may have written it: only
// a time of the exact form is taken).
std::optional<std::time_t> SucessoAnterior(platform::FileSystem& files, const std::string& caminho) {
    const std::optional<std::string> bytes = frota::LeLimitado(files, caminho);
    const std::optional<frota::RegistroLido> anterior = bytes ? frota::LeRegistro(*bytes) : std::nullopt;
    if (!anterior) return std::nullopt;
    return frota::HoraDeUtc(anterior->Valor("ultimo_sucesso_utc").value_or(""));
}

// A run that left the terminal holding the server's files: its normal path, nothing left behind
// (launch failures aside), the whole catalogue judged.
bool DeixouEmDia(const frota::EstadoTerminal& estado) {
    const int problemas = SaidaCaminhoDeFalha | SaidaArquivoNaoAtualizado | SaidaOutraExecucao | SaidaServidorNaoResponde;
    return estado.comando == "atualização" && estado.situacao == frota::Situacao::Normal && estado.codigoSaida &&
           (*estado.codigoSaida & problemas) == 0 && !estado.catalogoIncompleto;
}

}  // namespace

void TFrmAtuModulo::ProcuraPastaFrota(const std::string& pastaServidor) noexcept {
    if (PastaFrotaProcurada) return;
    PastaFrotaProcurada = true;
    try {
        const std::string pasta = frota::ComSeparador(pastaServidor + std::string(frota::kPastaTerminais));
        if (!Plataforma.files->dirExists(pasta)) return;
        PastaFrota = pasta;
        // Every record is written whole again: what the runs before knew comes from the last one.
        const std::string maquina = Plataforma.system->machineName().value_or("");
        UltimoSucesso = SucessoAnterior(*Plataforma.files,
                                        pasta + frota::NomeDoRegistro(maquina, platform::pathForDisplay(PastaPrograma())));
    } catch (...) {
        // No folder to be found: no record, as when the administrator made none.
    }
}

frota::EstadoTerminal TFrmAtuModulo::EstadoParaFrota(frota::Situacao situacao) {
    frota::EstadoTerminal estado;
    estado.maquina = Plataforma.system->machineName().value_or("");
    estado.usuario = Plataforma.system->userName().value_or("");
    estado.pastaPrograma = platform::pathForDisplay(PastaPrograma());
    estado.versao = Versao();
    estado.compilacao = Compilacao();
    estado.inicio = InicioExecucao ? InicioExecucao : std::time(nullptr);
    estado.situacao = situacao;
    const auto sucesso = [&] {
        if (UltimoSucesso)
            estado.adicionais.insert(estado.adicionais.end(), {{"ultimo_sucesso", frota::HoraLocal(*UltimoSucesso)},
                                                               {"ultimo_sucesso_utc", frota::HoraUtc(*UltimoSucesso)}});
    };
    if (situacao == frota::Situacao::EmAndamento) {
        sucesso();
        return estado;
    }
    estado.fim = std::time(nullptr);
    const int codigo = CodigoSaida | (Copias.AlgumNaoAtualizado() ? SaidaArquivoNaoAtualizado : 0);
    estado.codigoSaida = codigo;
    estado.significadoCodigo = SignificadoDoCodigo(codigo);
    estado.falha = platform::pathForDisplay(MotivoDaFalha);
    PreencheCopias(estado, Copias.Copias());
    estado.catalogoIncompleto = !CatalogoPercorrido;
    PreencheCatalogo(estado, *Plataforma.files, CaminhoCatalogo);
    PreencheRetorno(estado);
    PreencheIdentidade(estado);
    if (DeixouEmDia(estado)) UltimoSucesso = estado.fim;
    sucesso();
    if (!Renovacao.empty()) estado.adicionais.push_back({"renovacao", Renovacao});
    return estado;
}

void TFrmAtuModulo::GravaEstadoNaFrota(frota::Situacao situacao) noexcept {
    try {
        if (!PastaFrota) return;
        FrotaEmAndamento = false;
        if (frota::GravaEstado(*Plataforma.files, *PastaFrota, EstadoParaFrota(situacao))) {
            FrotaEmAndamento = situacao == frota::Situacao::EmAndamento;
            return;
        }
        Registro.Escreve("registro do terminal NÃO gravado em " + platform::pathForDisplay(*PastaFrota));
    } catch (...) {
        // The record serves the administrator, never the other way round.
    }
}

void TFrmAtuModulo::AnotaCaixaNaFrota() noexcept {
    // Not on a share that stopped answering: the box would wait for its time-out first.
    if (!FrotaEmAndamento || (CodigoSaida & SaidaServidorNaoResponde)) return;
    try {
        frota::EstadoTerminal estado = EstadoParaFrota(frota::Situacao::EmAndamento);
        estado.adicionais.push_back({"aguardando_resposta", frota::HoraLocal(std::time(nullptr))});
        FrotaEmAndamento = frota::GravaEstado(*Plataforma.files, *PastaFrota, estado);
    } catch (...) {
        FrotaEmAndamento = false;  // the record serves the administrator, never the other way round
    }
}

void TFrmAtuModulo::GravaEstadoFinal() noexcept {
    try {
        if (!PastaFrotaProcurada) ProcuraPastaFrota(settings::RetornaCaminho(Plataforma, "EXE"));
    } catch (...) {
        PastaFrotaProcurada = true;  // no settings, no server folder: nowhere to write
    }
    const bool falha = (CodigoSaida & SaidaCaminhoDeFalha) != 0;
    GravaEstadoNaFrota(falha ? frota::Situacao::Falha : frota::Situacao::Normal);
}

}  // namespace app
