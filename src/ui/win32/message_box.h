// The Win32 backend's message box, laid out as the FLTK one: the system's dialog frame, icons and
// buttons, placed by PlaceBox (above the splash, which stays in sight), lines kept whole up to a
// width (a report's columns in a fixed-width font), and a text taller than the screen in a
// scrolling field instead of a box that runs off it.
#pragma once

#include "ui/win32/win32_api.h"

namespace ui::win32 {

Answer ShowBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout, HWND owner);

}  // namespace ui::win32
