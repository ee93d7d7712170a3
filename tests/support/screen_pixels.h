// What a window shows on the screen right now, read from outside the toolkit (which would paint
// what it still has pending first): a second X connection on Linux, the window's device context on
// Windows.
#pragma once

#include <string>

#include "ui/controls.h"

namespace testing_support {

// The window's pixels on the display, or an empty picture; 0 is the whole screen. Windows:
// `window` is its HWND.
ui::Picture ScreenPixelsOf(const std::string& display, unsigned long long window);

// The part of a picture inside the rectangle [left, right) x [top, bottom), cut to the picture.
ui::Picture Cut(const ui::Picture& picture, int left, int top, int right, int bottom);

}  // namespace testing_support
