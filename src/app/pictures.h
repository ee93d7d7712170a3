// The splash window's pictures, drawn by our own code at start-up.
#pragma once

#include "ui/controls.h"

namespace app {

// 500 x 160: dark panel, lighter top band, clock at the top left, globe with two screens at the right.
ui::Picture FundoSplash();
// A square error icon (red disc, white cross) of the given size, transparent around the disc.
ui::Picture IconeErro(int size = 32);

}  // namespace app
