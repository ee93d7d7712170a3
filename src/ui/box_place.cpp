#include "ui/box_place.h"

#include <algorithm>

namespace ui {

namespace {

constexpr int kAboveGap = 8;  // between a panel and the box that stands above it

int Centred(int start, int length, int inside) { return start + (length - inside) / 2; }

}  // namespace

platform::Rect PlaceBox(BoxSize box, const std::optional<BoxOwner>& owner, const platform::Rect& area) {
    int left = Centred(area.left, area.right - area.left, box.width);
    int top = Centred(area.top, area.bottom - area.top, box.height);
    if (owner) {
        const platform::Rect& frame = owner->frame;
        left = Centred(frame.left, frame.right - frame.left, box.width);
        const int above = frame.top - kAboveGap - box.height;
        if (!owner->borderless) top = Centred(frame.top, frame.bottom - frame.top, box.height);
        else if (above >= area.top) top = above;
    }
    left = std::clamp(left, area.left, std::max(area.left, area.right - box.width));
    top = std::clamp(top, area.top, std::max(area.top, area.bottom - box.height));
    return {left, top, left + box.width, top + box.height};
}

}  // namespace ui
