#include "packinfo/pack_form.h"

#include "packinfo/pack_files.h"
#include "platform/text.h"

namespace packinfo {

namespace {

constexpr char kEscape = 27;
const char* const kMarcadorPular = "pular.txt";

}  // namespace

TFrmPKG::TFrmPKG(ui::Application& application, platform::Platform platform)
    : ui::TForm("FrmPKG"), Aplicacao(application), Plataforma(std::move(platform)) {
    PastaPrograma_ = platform::folderPart(Plataforma.system->executablePath());
    Caption = "Informações dos Pacotes";  // in the user's language, as every other word shown
    ClientWidth = 512;
    ClientHeight = 388;
    StartPosition = ui::Position::ScreenCenter;
    Border = ui::BorderStyle::Sizeable;
    BackgroundColor = ui::colors::BtnFace;
    FormFont = ui::Font{"MS Sans Serif", 11, false, ui::colors::WindowText};
    KeyPreview = true;
    Timer1.Interval = 500;
    CriaControles();
    LigaEventos();
    FormCreate(this);
}

TFrmPKG::~TFrmPKG() {
    if (FrmPKG == this) FrmPKG = nullptr;
}

void TFrmPKG::CriaControles() {
    TreeView1.Align = ui::TAlign::alClient;
    TreeView1.Width = ClientWidth;
    TreeView1.Height = ClientHeight;
    TreeView1.Indent = 19;
    TreeView1.PopupMenu = &PopupMenu1;
    PopupMenu1.Items = {
        {"IrnaPasta1", "Ir na Pasta", [this] { IrnaPasta1Click(&PopupMenu1); }},
        {"CopiarparaoDiretorio1", "Copiar para o Diretorio do (EXE)", [this] { CopiarparaoDiretorio1Click(&PopupMenu1); }},
        {"CopiarparaoDiretorioBPL1", "Copiar para o Diretorio (BPL)",
         [this] { CopiarparaoDiretorioBPL1Click(&PopupMenu1); }},
    };
    Register(TreeView1);
}

void TFrmPKG::LigaEventos() {
    OnShow = [this] { FormShow(this); };
    OnKeyPress = [this](char& key) { FormKeyPress(this, key); };
    OnClose = [this](ui::TCloseAction& action) { FormClose(this, action); };
    Timer1.OnTimer = [this] { Timer1Timer(&Timer1); };
}

void TFrmPKG::FormCreate(ui::TComponent*) {}

void TFrmPKG::FormShow(ui::TComponent*) {
    // Only a file counts: a folder of that name does not close the window.
    if (Plataforma.files->fileExists(PastaPrograma_ + kMarcadorPular)) Timer1.SetEnabled(true);
}

void TFrmPKG::Timer1Timer(ui::TComponent*) {
    Timer1.SetEnabled(false);
    Fecha();
}

void TFrmPKG::FormKeyPress(ui::TComponent*, char& Key) {
    if (Key == kEscape) Fecha();
}

void TFrmPKG::FormClose(ui::TComponent*, ui::TCloseAction& Action) { Action = ui::TCloseAction::caFree; }

void TFrmPKG::Fecha() { Aplicacao.RequestClose(*this); }

void TFrmPKG::IrnaPasta1Click(ui::TComponent*) {
    if (!TreeView1.Selected) return;
    const std::string pasta = platform::folderPart(TreeView1.Selected->Text);
    if (AbrePastaExplorer(*Plataforma.shell, Aplicacao.Handle(), pasta, true, true)) return;
    // A machine without a file manager (no xdg-open) would otherwise do nothing and say nothing.
    const std::string texto = "Não foi possível abrir a pasta:\r" + platform::pathForDisplay(pasta) +
                              "\r\rNenhum programa deste computador abre pastas.";
    Anota("pacotes: mensagem: " + texto);
    Aplicacao.MessageBox(ui::BoxKind::Warning, texto);
}

void TFrmPKG::CopiarparaoDiretorio1Click(ui::TComponent*) { CopiaSelecionadoPara(PastaPrograma_); }

void TFrmPKG::CopiarparaoDiretorioBPL1Click(ui::TComponent*) { CopiaSelecionadoPara(PastaPrograma_ + "BPL\\"); }

void TFrmPKG::CopiaSelecionadoPara(const std::string& destinationFolder) {
    if (!TreeView1.Selected) return;
    const std::string selecionado = TreeView1.Selected->Text;
    bool algumCopiado = false;
    const bool copiou = CopiaArquivos(*Plataforma.files, selecionado, destinationFolder,
                                      [&](const std::string& origem, const std::string& destino, bool ok) {
                                          algumCopiado = algumCopiado || ok;
                                          Anota(std::string(ok ? "pacotes: copiado " : "pacotes: NÃO copiado ") +
                                                platform::pathForDisplay(origem) + " para " +
                                                platform::pathForDisplay(destino));
                                      });
    // What was copied stays, a later failure or not: the tree shows the program folder as it is now.
    if (algumCopiado) {
        CarregaPacotes(PastaServidor_);
        TreeView1.Selected = TreeView1.FindNode(selecionado);
    }
    if (copiou) Aplicacao.MessageBox(ui::BoxKind::Plain, "Arquivo copiado com sucesso.");
}

void TFrmPKG::Anota(const std::string& texto) {
    if (Registra) Registra(texto);
}

void TFrmPKG::CarregaPacotes(const std::string& serverFolder) {
    PastaServidor_ = serverFolder;
    TreeView1.Selected = nullptr;
    TreeView1.Items.clear();
    // Paths as the user reads them; the commands take either separator.
    for (const NoPacote& no : ListaPacotes(*Plataforma.files, PastaPrograma_, serverFolder)) {
        ui::TTreeNode* raiz = TreeView1.AddRoot(platform::pathForDisplay(no.caminho));
        for (const std::string& filho : no.filhos) raiz->Add(platform::pathForDisplay(filho));
    }
}

}  // namespace packinfo
