// The splash window as a backend draws it: captured as it opens, with the gauge at half, a long
// path and a copy error while its fallback copy waits, and when that copy failed too; and checked the same way whichever backend drew it.
#pragma once

#include <functional>

#include "app/atualiza_modulo.h"
#include "ui/application.h"
#include "ui/controls.h"

namespace app_test {

struct SplashPictures {
    ui::Picture before;  // as the window opens
    ui::Picture after;   // gauge at half, long path, a reason of two lines while the fallback copy waits
    ui::Picture failed;  // the fallback copy failed too: the second method's line below the first
};

// Creates the splash window, runs the application until the window's first click and captures the
// two states with `capture`; the splash stays created for the caller's checks.
SplashPictures CaptureSplashStates(ui::Application& application, app::TFrmAtuModulo& splash,
                                   const std::function<ui::Picture(ui::TForm&)>& capture);

// The size, background, labels, gauge and error line of both pictures.
void ExpectSplashPainted(const SplashPictures& pictures);

}  // namespace app_test
