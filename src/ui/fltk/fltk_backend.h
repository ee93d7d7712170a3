// The FLTK backend (Linux): one double-buffered window per form that paints the form's model.
// This header names no toolkit type, so that the rest of ui/ can choose the backend.
#pragma once

#include <memory>

#include "ui/application.h"

namespace ui {

// True when an X display can be opened (the toolkit would end the process otherwise).
bool FltkDisplayAvailable();
std::unique_ptr<Backend> MakeFltkBackend();

// Gives the keyboard focus to a control's toolkit widget (null: to the form's window itself);
// false when the control has no widget. For tests of key handling.
bool FocusControl(TForm& form, const TControl* control);
// The X window of a shown form, or 0.
unsigned long NativeWindowId(TForm& form);

// The pixels of a shown form's window as they are on the screen, or an empty picture.
Picture CaptureFormPixels(TForm& form);

}  // namespace ui
