// Paints a form's model into a back buffer: background colour, then every visible control in
// its registration order (later ones over earlier ones).
#pragma once

#include "ui/win32/back_buffer.h"
#include "ui/win32/font_cache.h"

namespace ui::win32 {

void PaintForm(const TForm& form, BackBuffer& buffer, FontCache& fonts);

// Source-over blending of a picture at (left, top), clipped to the box and to the buffer.
void BlendPicture(const Picture& picture, int left, int top, int boxWidth, int boxHeight, BackBuffer& buffer);

}  // namespace ui::win32
