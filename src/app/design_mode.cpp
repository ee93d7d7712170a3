#include "app/design_mode.h"

namespace app {

void ExecutaModoDesign(ui::Application& application) {
    // An empty window for now: the package tree and its commands are not built yet.
    ui::TForm frmPKG("FrmPKG");
    frmPKG.Caption = "Package Information";
    frmPKG.ClientWidth = 512;
    frmPKG.ClientHeight = 388;
    frmPKG.StartPosition = ui::Position::ScreenCenter;
    frmPKG.OnClose = [](ui::TCloseAction& action) { action = ui::TCloseAction::caFree; };
    application.CreateForm(frmPKG);
    application.ShowModal(frmPKG);
    application.DestroyForm(frmPKG);  // once: a free action on closing already destroyed it
}

}  // namespace app
