// The Win32 backend: one window per form, painted from the form's model, the Windows message
// loop and the Windows message boxes. This header names no Windows type.
#pragma once

#include <memory>

#include "ui/application.h"

namespace ui {

std::unique_ptr<Backend> MakeWin32Backend();

// The pixels of a shown form's window as the backend last painted them, or an empty picture.
Picture CaptureWin32FormPixels(TForm& form);

}  // namespace ui
