// Placement of a window inside the desktop work area.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/platform.h"
#include "ui/application.h"
#include "ui/controls.h"

namespace app {

// Where PosicionaForm learns the work area (which may be unknown) and the screen size.
struct FonteAreaTrabalho {
    std::function<std::optional<platform::Rect>()> workArea;
    std::function<ui::ScreenSize()> screen;
};

// The platform's work area when it knows one, else the toolkit's; the toolkit's screen size.
FonteAreaTrabalho AreaTrabalhoDe(ui::Application& application, platform::System* system);

// Codes per axis: 1 puts the edge at 0, 2 centres it in the work area's extent (counted from 0),
// 3 puts the far edge on the work area's right or bottom edge, any other code leaves it alone.
void PosicionaForm(ui::TForm& Form, uint8_t Horizontal, uint8_t Vertical, const FonteAreaTrabalho& fonte);

}  // namespace app
