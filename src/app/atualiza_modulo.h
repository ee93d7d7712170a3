// The splash window: a small borderless panel in the bottom-right corner of the work area that
// shows what the update run checks and copies. Its timer starts the run once it is shown.
#pragma once

#include "app/posiciona_form.h"
#include "platform/platform.h"
#include "ui/application.h"
#include "ui/controls.h"

namespace app {

class TFrmAtuModulo : public ui::TForm {
public:
    TFrmAtuModulo(ui::Application& application, platform::Platform platform);

    ui::TTimer Timer1{"Timer1"};

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
    void SpeedButton1Click(ui::TComponent* Sender);
    void FormShow(ui::TComponent* Sender);
    void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action);
    void FormDestroy(ui::TComponent* Sender);

    // Set by the update run while it works: a close request then must not destroy the window.
    bool Atualizando = false;

    // Where PosicionaForm reads the work area; tests put a fixed desktop here.
    FonteAreaTrabalho AreaTrabalho;

protected:
    ui::Application& Aplicacao;
    platform::Platform Plataforma;

private:
    void CriaControles();
    void LigaEventos();
};

// The one splash window, while it exists.
inline TFrmAtuModulo* FrmAtuModulo = nullptr;

}  // namespace app
