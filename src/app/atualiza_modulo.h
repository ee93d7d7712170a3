// The splash window: a small borderless panel in the bottom-right corner of the work area that
// shows what the update run checks and copies. Its timer starts the run once it is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/posiciona_form.h"
#include "app/run_log.h"
#include "feedback/resultado_copias.h"
#include "fileops/fx_file_manager.h"
#include "platform/platform.h"
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
    // Writes the run's end (outcome and exit status) into the log.
    void RegistraFim();

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
    void ApagaMarcador();
    // Starts the server program when the closing phase ended it, once per run, whatever the path.
    void ReiniciaServidor();
    void IniciaModulo(const std::string& arquivo, const std::string& aviso);
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
    std::string PastaPrograma() const;

    // The work-list line in hand, shared by the catalogue walk and the failure message; none
    // outside the walk, so that an error elsewhere names no line.
    static constexpr size_t kNenhumaLinha = static_cast<size_t>(-1);
    size_t LinhaAtual = kNenhumaLinha;
    // What the run has started, so that no path starts a program twice.
    bool ServidorReiniciado = false;
    bool ModuloIniciado = false;
    // The user's thousands separator, read once for the byte counters and the report.
    std::string SeparadorMilhar;
    // Time spent waiting for the user's answers: no copy's time includes it.
    double SegundosEmCaixas = 0;
};

// The one splash window, while it exists.
inline TFrmAtuModulo* FrmAtuModulo = nullptr;

}  // namespace app
