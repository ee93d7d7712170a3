// The package information window: a tree of package and library paths with commands to open their
// folder or copy them into the program folder. Shown only in design mode, before the splash window.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"
#include "ui/application.h"
#include "ui/controls.h"

namespace packinfo {

class TFrmPKG : public ui::TForm {
public:
    TFrmPKG(ui::Application& application, platform::Platform platform);
    ~TFrmPKG() override;

    ui::TTreeView TreeView1{"TreeView1"};
    ui::TPopupMenu PopupMenu1{"PopupMenu1"};
    ui::TTimer Timer1{"Timer1"};

    void FormCreate(ui::TComponent* Sender);
    void FormShow(ui::TComponent* Sender);
    void FormKeyPress(ui::TComponent* Sender, char& Key);
    void FormClose(ui::TComponent* Sender, ui::TCloseAction& Action);
    void IrnaPasta1Click(ui::TComponent* Sender);
    void CopiarparaoDiretorio1Click(ui::TComponent* Sender);
    void CopiarparaoDiretorioBPL1Click(ui::TComponent* Sender);
    void Timer1Timer(ui::TComponent* Sender);

    // Puts the package and library paths of the program folder and of the server program folder
    // (empty: none) into the tree, each mask with its files.
    void CarregaPacotes(const std::string& serverFolder);

    // The folder of the program's own executable, with its trailing separator.
    const std::string& PastaPrograma() const { return PastaPrograma_; }

    // Where the window writes down what it did to the program folder (the run log); unset: nowhere.
    std::function<void(const std::string&)> Registra;

private:
    void CriaControles();
    void LigaEventos();
    void CopiaSelecionadoPara(const std::string& destinationFolder);
    void Anota(const std::string& texto);
    void Fecha();

    ui::Application& Aplicacao;
    platform::Platform Plataforma;
    std::string PastaPrograma_;
    std::string PastaServidor_;  // as the tree was loaded, for loading it again
};

// The one package information window, only while it exists (design mode).
inline TFrmPKG* FrmPKG = nullptr;

}  // namespace packinfo
