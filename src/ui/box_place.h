// Where a message box goes, the same rule on every window backend.
#pragma once

#include <optional>

#include "platform/platform.h"

namespace ui {

struct BoxSize {
    int width = 0, height = 0;
};

// The window a box belongs to: where it is and whether it is a borderless panel (the splash).
struct BoxOwner {
    platform::Rect frame;
    bool borderless = false;
};

// Where a box goes, its top-left corner: a borderless panel stays in sight, its box centred above
// it; an ordinary window's box is centred on it; without an owner, or without room above the
// panel, on the work area. Always inside the work area.
platform::Rect PlaceBox(BoxSize box, const std::optional<BoxOwner>& owner, const platform::Rect& workArea);

// Boxes keep their lines to this width; longer ones wrap at blanks.
inline constexpr int kBoxMaxTextWidth = 640;

}  // namespace ui
