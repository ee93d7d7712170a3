// The FLTK backend (Linux): one double-buffered window per form that paints the form's model.
// This header names no toolkit type, so that the rest of ui/ can choose the backend.
#pragma once

#include <memory>

#include "ui/application.h"

namespace ui {

// True when an X display can be opened (the toolkit would end the process otherwise).
bool FltkDisplayAvailable();
std::unique_ptr<Backend> MakeFltkBackend();

// The pixels of a shown form's window as they are on the screen, or an empty picture.
Picture CaptureFormPixels(TForm& form);

}  // namespace ui
