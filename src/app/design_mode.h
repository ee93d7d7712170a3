// Design mode: the package information window, shown modally before the splash window.
#pragma once

#include "ui/application.h"

namespace app {

// Creates the window, shows it modally and destroys it; the application is left without a main form.
void ExecutaModoDesign(ui::Application& application);

}  // namespace app
