// Which backend realises the forms: ATUALIZA_UI=headless or gui; unset means windows when a
// display can be opened, else headless.
#include <cstdlib>
#include <string>

#include "ui/application.h"

#ifdef ATUALIZA_HAVE_FLTK
#include "ui/fltk/fltk_backend.h"
#endif
#ifdef _WIN32
#include "ui/win32/win32_backend.h"
#endif

namespace ui {

std::unique_ptr<Backend> MakeBackend() {
    const char* setting = std::getenv("ATUALIZA_UI");
    const std::string choice = setting ? setting : "";
    if (choice == "headless") return MakeHeadlessBackend();
#ifdef _WIN32
    return MakeWin32Backend();  // Windows always has a desktop to draw on
#endif
#ifdef ATUALIZA_HAVE_FLTK
    if (choice == "gui" || FltkDisplayAvailable()) return MakeFltkBackend();
#endif
    return MakeHeadlessBackend();
}

}  // namespace ui
