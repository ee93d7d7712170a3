// The splash window: a small borderless panel in the bottom-right corner of the work area that
// shows what the update run checks and copies. Its timer starts the run once it is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <set>
#include <string>

#include "acervo/acervo.h"
#include "app/catalogue.h"
#include "app/listagens.h"
#include "app/posiciona_form.h"
#include "app/run_log.h"
#include "feedback/resultado_copias.h"
#include "fileops/fx_file_manager.h"
#include "frota/estado.h"
#include "platform/platform.h"
#include "retorno/guarda.h"
#include "ui/application.h"
#include "ui/controls.h"

namespace app {

class TFrmAtuModulo : public ui::TForm {
public:
    TFrmAtuModulo(ui::Application& application, platform::Platform platform);

    ui::TTimer Timer1{"Timer1"};
    fileops::TFxFileManager FxFileManager1;

    ui::TLabel Label1{"Label1"};
    ui::TLabel lbArquivo{"lbArquivo"};
    ui::TMemo Memo1{"Memo1"};
    ui::TLabel Label2{"Label2"};
    ui::TLabel lbArquivo2{"lbArquivo2"};
    ui::TProgressBar pgbr{"pgbr"};
    ui::TSpeedButton SpeedButton1{"SpeedButton1"};
    ui::TImage Image1{"Image1"};
    ui::TLabel Label3{"Label3"};
    ui::TLabel LabBytesCopiados{"LabBytesCopiados"};
    ui::TLabel LabTotalBytes{"LabTotalBytes"};
    ui::TLabel Label4{"Label4"};
    ui::TImage IErro{"IErro"};
    ui::TLabel lErroM1{"lErroM1"};
    ui::TLabel lErroM2{"lErroM2"};

    void Timer1Timer(ui::TComponent* Sender);
    // The update run: ends the running modules, cleans up, copies what is missing or older from
    // the server, reports, starts the chosen module and asks the application to terminate.
    void SpeedButton1Click(ui::TComponent* Sender);
    void FxFileManager1Error(fileops::TFxFileManager& Sender, fileops::TFxFileError Error);
    void FxFileManager1Start(fileops::TFxFileManager& Sender);
    void FxFileManager1Progress(fileops::TFxFileManager& Sender);
    void FormShow(ui::TComponent* Sender);
    void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action);
    void FormDestroy(ui::TComponent* Sender);
    void FxFileManager1CreateDirectory(fileops::TFxFileManager& Sender, bool& CanCreate);
    void FxFileManager1End(fileops::TFxFileManager& Sender, fileops::TFxFileStatus Status);

    void ApagaAntigos(const std::string& Caminho);
    // A file the clean-up would delete that stays: the record names it, it is as the copy (or a
    // step back) left it, the server still holds the version recorded, and its bytes match the
    // record's digest.
    bool MantemVersaoDoServidor(const std::string& caminho, const platform::DirEntry& entrada);
    void ExcluirArq(const std::string& Caminho);
    int32_t KillTask(const std::string& ExeFileName);
    std::string VerModuloAberto(std::string Aplicacao, uintptr_t& Handel);

    // The last resort when an error escaped the run or came before it: the failure path (its
    // message, the server program when the closing phase ended it, the main module), unless the
    // run already started a module. Never raises.
    void FalhaSemTratamento() noexcept;

    // Set by the update run while it works. Until the run is over a close request is refused, so
    // that the run and the launch always happen.
    bool Atualizando = false;
    bool ExecucaoConcluida = false;

    // The exit status of the process (exit_status.h), complete once the run is over.
    int CodigoSaida = 0;
    // What each copy came to: the report, the exit status and the log read it.
    feedback::RegistroCopias Copias;
    // The run log beside the program.
    RegistroExecucao Registro;
    // What the terminal holds: read with the catalogue, consulted by every copy decision,
    // written once the copies are over (on the failure path too).
    acervo::Acervo Acervo;
    // The server's and the terminal's folders as the run listed them, for every copy decision.
    std::unique_ptr<Listagens> Pastas;
    // Writes the run's end (outcome and exit status) into the log.
    void RegistraFim();
    // Leaves this terminal's final state record in the server's TERMINAIS folder, when the
    // administrator created it. Never raises; a record that cannot be written changes nothing.
    void GravaEstadoFinal() noexcept;

    // Where PosicionaForm reads the work area; tests put a fixed desktop here.
    FonteAreaTrabalho AreaTrabalho;

protected:
    // Starts a program of the program folder as the run does (bare name, one blank as parameters,
    // SW_SHOW, the main window as owner); a double may raise here to show the launch messages.
    virtual uintptr_t ExecutaPrograma(const std::string& arquivo);

    ui::Application& Aplicacao;
    platform::Platform Plataforma;

private:
    void CriaControles();
    void LigaEventos();
    void ConfiguraFxFileManager1();

    // The update run's phases (update_run.cpp, catalogue_phase.cpp).
    void FechaModulos();
    void RegiaoProtegida();
    void CaminhoDeFalha() noexcept;
    // Why the run failed, on the splash's error line, behind the failure message.
    void MostraMotivo(const std::string& texto);
    void ApagaMarcador();
    // Starts the server program when the closing phase ended it, once per run, whatever the path.
    void ReiniciaServidor();
    void IniciaModulo(const std::string& arquivo, const std::string& aviso);
    // The module the user asked for: HALDENMOR7.exe when argument 1 is "F", else QOR7.exe.
    void IniciaModuloPedido();
    // Every program the run starts goes through here; a launch that raises shows `aviso`.
    void IniciaOuAvisa(const std::string& arquivo, const std::string& aviso);
    void MostraRelatorio();
    void RegistraInicio();
    void RegistraConfiguracao(const std::string& pastaServidor);
    // Every box of the run goes through here, so that the log holds what the user was told.
    ui::Answer Caixa(ui::BoxKind kind, const std::string& texto, ui::BoxLayout layout = ui::BoxLayout::Prose);
    void CarregaListaDeTrabalho();
    void FaseCatalogo(const std::string& pastaServidor);
    void CopiaArquivo(const std::string& origem, const std::string& destino);
    void RegistraCopia(const feedback::ResultadoCopia& copia);
    // Notes in the record what the copy of `nome` left on the terminal.
    void AnotaNoAcervo(const std::string& nome, const std::string& destino);
    void GravaAcervo();
    // The keeping of the copy about to be made over `nome`: a repair of the record's entry carries
    // its kept version forward.
    void PreparaCopia(const std::string& nome, const std::string& pastaServidor);
    // The record could not be written: exit status, log and fleet record say so.
    void AvisaAcervoNaoGravado();
    // The step back (voltar.cpp): --voltar's run, the held-back files of an update run, and
    // what both tell the fleet's record.
    void VoltaUltimaAtualizacao();
    void AnotaRetidos();
    void PreencheRetorno(frota::EstadoTerminal& estado) const;
    // The updater's own renewal (renovacao.cpp): tried at the end of a normal run, given back by
    // --voltar; its outcome for the log and the fleet's record (empty: nothing happened).
    void RenovaAtualizador() noexcept;
    void DevolveAtualizador() noexcept;
    void AnotaRenovacao(const std::string& texto);
    std::string Renovacao;
    // The server's publication (conteudo.cpp): its manifest and announcement read once, each copy
    // checked before it replaces anything, the publication held noted, and told to the fleet.
    void LeIdentidadeDoServidor(const std::string& pastaServidor);
    bool PublicacaoComecou();
    bool ConfereCopia(const std::string& temporario, const platform::FileStamp& origem);
    void NotaPublicacao();
    void PreencheIdentidade(frota::EstadoTerminal& estado) const;
    // The server's folder stopped answering at `linha`: the walk ends there and says so.
    void ServidorNaoResponde(const std::string& pastaServidor, const LinhaDoCatalogo& linha);
    std::string PastaPrograma() const;
    // The fleet's state record (estado_frota.cpp): what the run knows, and where it goes.
    frota::EstadoTerminal EstadoParaFrota(frota::Situacao situacao);
    void GravaEstadoNaFrota(frota::Situacao situacao) noexcept;
    void ProcuraPastaFrota(const std::string& pastaServidor) noexcept;
    // A box is about to wait for the user: the in-progress record says so, so that a long wait
    // does not read as a run that never ended.
    void AnotaCaixaNaFrota() noexcept;

    // The work-list line in hand, shared by the catalogue walk and the failure message; none
    // outside the walk, so that an error elsewhere names no line.
    static constexpr size_t kNenhumaLinha = static_cast<size_t>(-1);
    size_t LinhaAtual = kNenhumaLinha;
    // What the run has started, so that no path starts a program twice.
    bool ServidorReiniciado = false;
    bool ModuloIniciado = false;
    // The record was read, so writing it keeps what it held.
    bool AcervoLido = false;
    bool AcervoNaoGravado = false;
    acervo::Acervo AcervoInicial;  // the record as the run read it, before anything changed it
    std::set<std::string> NomesCatalogo;  // what the catalogue's lines copy, for the keep rule
    // This run's number in the record, and what keeps the versions its copies replace.
    uint64_t NumeroExecucao = 0;
    std::unique_ptr<retorno::Guarda> Anteriores;
    // Files a step back holds on their earlier version (update run); what --voltar did.
    std::vector<std::string> Retidos;
    std::vector<std::string> Voltaram, NaoVoltaram;
    std::string PastaServidor;  // RetornaCaminho("EXE") of this run
    int Mantidos = 0;           // files the clean-up left in place, already current
    // The user's thousands separator, read once for the byte counters and the report.
    std::string SeparadorMilhar;
    // What the fleet's record tells beyond the copies: when the run began, why it failed, which
    // catalogue it read and whether its walk reached the end; the records' folder, once looked for.
    std::time_t InicioExecucao = 0;
    std::string MotivoDaFalha;
    bool ServidorInacessivel = false;  // the catalogue's server folder did not answer
    std::string CaminhoCatalogo;
    bool CatalogoPercorrido = false;
    std::optional<std::string> PastaFrota;
    bool PastaFrotaProcurada = false;
    bool FrotaEmAndamento = false;  // this run's in-progress record is on the share, the final one not yet
    // The end of the last run that left this terminal current, carried from its previous record.
    std::optional<std::time_t> UltimoSucesso;
    // A publish is under way on the server: this run leaves the server's build alone.
    bool PublicacaoEmAndamento = false;
    std::optional<platform::FileStamp> ManifestoLido;  // the manifest's file as the run found it
    std::string NomeEmCopia;                           // the catalogue name of the copy in hand
    std::optional<identidade::Resumo> UltimoConferido; // its bytes, when the manifest checked them
    std::vector<std::string> ConteudoRecusado;         // copies whose bytes the manifest refused
    std::string MotivoDaRecusa;                        // why the last copy was discarded
    // Time spent waiting for the user's answers: no copy's time includes it.
    double SegundosEmCaixas = 0;
};

// The one splash window, while it exists.
inline TFrmAtuModulo* FrmAtuModulo = nullptr;

}  // namespace app
