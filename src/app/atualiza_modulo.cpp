#include "app/atualiza_modulo.h"

#include "app/ajuda.h"
#include "app/logged_platform.h"
#include "app/pictures.h"
#include "app/run_state.h"

namespace app {

namespace {

ui::Font Tahoma(int height, ui::Color color) { return ui::Font{"Tahoma", height, true, color}; }
ui::Font SansSerif(ui::Color color) { return ui::Font{"MS Sans Serif", 11, false, color}; }

void Place(ui::TControl& control, int left, int top, int width, int height) {
    control.Left = left;
    control.Top = top;
    control.Width = width;
    control.Height = height;
}

void SetLabel(ui::TLabel& label, int left, int top, int width, int height, ui::Font font, std::string caption) {
    Place(label, left, top, width, height);
    label.LabelFont = std::move(font);
    label.Caption = std::move(caption);
}

}  // namespace

TFrmAtuModulo::TFrmAtuModulo(ui::Application& application, platform::Platform platform)
    : ui::TForm("FrmAtuModulo"),
      FxFileManager1(platform.files),
      AreaTrabalho(AreaTrabalhoDe(application, platform.system.get())),
      Aplicacao(application),
      Plataforma(std::move(platform)) {
    Caption = "Atualiza Terminais";
    Border = ui::BorderStyle::None;
    Left = 266;
    Top = 229;
    ClientWidth = 501;
    ClientHeight = 161;
    BackgroundColor = ui::colors::BtnFace;
    FormFont = SansSerif(ui::colors::WindowText);
    Timer1.Interval = 500;
    SeparadorMilhar = Plataforma.system ? Plataforma.system->thousandsSeparator() : ".";
    if (Plataforma.system && Plataforma.files) Registro = RegistroExecucao(Plataforma.files, PastaPrograma());
    if (Plataforma.processes)
        Plataforma.processes = std::make_shared<ProcessosRegistrados>(Plataforma.processes, Registro);
    CriaControles();
    LigaEventos();
    ConfiguraFxFileManager1();
}

void TFrmAtuModulo::CriaControles() {
    const ui::Color white = ui::colors::White, red = ui::colors::Red;
    Place(Image1, 0, 0, 501, 161);
    Image1.Image = FundoSplash();
    SetLabel(Label2, 8, 97, 55, 13, Tahoma(11, white), "Copiando:");
    SetLabel(lbArquivo2, 68, 100, 321, 13, Tahoma(11, red), "...");
    lbArquivo2.AutoSize = false;
    Place(pgbr, 4, 156, 490, 3);
    SetLabel(Label1, 7, 58, 63, 13, Tahoma(11, white), "Verificando");
    SetLabel(lbArquivo, 8, 74, 9, 13, Tahoma(11, red), "...");
    SetLabel(Label3, 60, 7, 76, 16, Tahoma(13, white), "Aguarde ....");
    SetLabel(LabBytesCopiados, 6, 142, 87, 13, SansSerif(white), "0 byte processado");
    LabBytesCopiados.FastChanging = true;  // it changes with every copied block
    SetLabel(LabTotalBytes, 196, 142, 120, 13, SansSerif(white), "Tamanho: 0");
    LabTotalBytes.AutoSize = false;
    LabTotalBytes.TextAlign = ui::Alignment::Right;
    SetLabel(Label4, 426, 142, 66, 13, Tahoma(11, white), "versão " + Versao());
    Place(IErro, 8, 112, 32, 32);
    IErro.Image = IconeErro(32);
    IErro.Visible = false;
    for (ui::TLabel* erro : {&lErroM1, &lErroM2}) {
        SetLabel(*erro, 43, erro == &lErroM1 ? 114 : 128, 404, 15, Tahoma(11, white), "...");
        erro->AutoSize = false;
        erro->Visible = false;
    }
    // Below the client area and hidden: the user never sees these two.
    Place(SpeedButton1, 424, 184, 23, 22);
    SpeedButton1.Visible = false;
    Place(Memo1, 57, 184, 361, 25);
    Memo1.Visible = false;

    // Back to front: later controls paint over earlier ones.
    for (ui::TControl* control :
         std::initializer_list<ui::TControl*>{&Image1, &Label2, &lbArquivo2, &pgbr, &Label1, &lbArquivo, &Label3,
                                              &LabBytesCopiados, &LabTotalBytes, &Label4, &IErro, &lErroM1,
                                              &lErroM2, &SpeedButton1, &Memo1})
        Register(*control);
}

void TFrmAtuModulo::LigaEventos() {
    Timer1.OnTimer = [this] { Timer1Timer(&Timer1); };
    SpeedButton1.OnClick = [this] { SpeedButton1Click(&SpeedButton1); };
    OnShow = [this] { FormShow(this); };
    OnClose = [this](ui::TCloseAction& action) { FormClose(this, action); };
    OnDestroy = [this] { FormDestroy(this); };
}

void TFrmAtuModulo::ConfiguraFxFileManager1() {
    using namespace fileops;
    FxFileManager1.SetOptions({foCopyDateTime, foCopyAttr, foOverwrite, foCheckSpace, foReadOnlyFiles, foHiddenFiles,
                               foSysFiles});
    FxFileManager1.OnStart = [this](TFxFileManager& sender) { FxFileManager1Start(sender); };
    FxFileManager1.OnProgress = [this](TFxFileManager& sender) { FxFileManager1Progress(sender); };
    FxFileManager1.OnCreateDirectory = [this](TFxFileManager& sender, bool& canCreate) {
        FxFileManager1CreateDirectory(sender, canCreate);
    };
    FxFileManager1.OnEnd = [this](TFxFileManager& sender, TFxFileStatus status) { FxFileManager1End(sender, status); };
    FxFileManager1.OnError = [this](TFxFileManager& sender, TFxFileError error) { FxFileManager1Error(sender, error); };
    // OnOverwrite and OnProcessFile stay unassigned: foOverwrite answers the first, nothing is skipped.
    FxFileManager1.ProcessMessages = [this] { Aplicacao.ProcessMessages(); };
}

void TFrmAtuModulo::FormShow(ui::TComponent*) {
    ServidorAberto = false;
    Timer1.SetEnabled(true);
    PosicionaForm(*this, 3, 3, AreaTrabalho);
}

void TFrmAtuModulo::Timer1Timer(ui::TComponent*) {
    // The run switches the timer off as its first step, so this ticks once per process.
    SpeedButton1.Click();
}

void TFrmAtuModulo::FormClose(ui::TComponent*, ui::TCloseAction& Action) {
    Action = ExecucaoConcluida ? ui::TCloseAction::caFree : ui::TCloseAction::caNone;
}

void TFrmAtuModulo::FormDestroy(ui::TComponent*) { FrmAtuModulo = nullptr; }

}  // namespace app
