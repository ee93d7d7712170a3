// Design mode: the package information window, shown modally before the splash window.
#pragma once

#include "platform/platform.h"
#include "ui/application.h"

namespace app {

// Creates the window as FrmPKG with the package paths in its tree, shows it modally and destroys
// it once; the application is left without a main form and FrmPKG empty.
void ExecutaModoDesign(ui::Application& application, const platform::Platform& plataforma);
// The same on the real machine.
void ExecutaModoDesign(ui::Application& application);

}  // namespace app
