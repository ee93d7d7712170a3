// The FLTK backend's message box. The toolkit's stock box opens under the mouse pointer, can be
// sized and maximised, keeps room for an icon it does not show and writes every text in one
// proportional font; this one is placed by its owner, has a fixed size, an icon only where the
// kind has one, and a fixed-width font for a text in columns.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"
#include "ui/box_place.h"
#include "ui/application.h"

class Fl_Window;

namespace ui {

// Shows the box modally over `owner` (null: no owner) and returns the button pressed. Escape and
// the window's close button answer an OK box; a question waits for Sim or Não, as on Windows.
Answer ShowFltkBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout,
                   Fl_Window* owner);

}  // namespace ui
