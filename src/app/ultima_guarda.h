// The program's last guard: an error that escapes everything else ends in the failure path's
// message and launches, never in a crash.
#pragma once

#include "app/atualiza_modulo.h"
#include "platform/platform.h"
#include "ui/application.h"

namespace app {

// Takes the failure path of `form` when there is one; before the splash window exists, of a
// window made for it (on `application`, or on a headless one when there is none yet) with
// `plataforma`, when that is complete. Never raises.
void UltimaGuarda(ui::Application* application, TFrmAtuModulo* form, const platform::Platform& plataforma) noexcept;

}  // namespace app
