// A modal window driven from its own timers, for the package window tests of every backend.
#pragma once

#include <functional>

#include "ui/application.h"
#include "ui/controls.h"

namespace packinfo_test {

// Shows the window modally; `step` runs every 150 ms with its count until it returns true. A
// window still open after five seconds is closed from here and the test fails.
void ShowModalInSteps(ui::Application& application, ui::TForm& form, const std::function<bool(int)>& step);

}  // namespace packinfo_test
