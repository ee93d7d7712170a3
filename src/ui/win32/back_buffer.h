// A 32-bit top-down DIB section with its memory DC: the form is painted here first and copied
// to the window in one blit, so the window never shows a half-painted state.
#pragma once

#include "ui/win32/win32_api.h"

#include <cstdint>

namespace ui::win32 {

class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer() { Release(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // Makes the buffer this size (kept when it already is); false when GDI refuses.
    bool Resize(HDC compatible, int width, int height);
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Pixels as 0x00RRGGBB, row by row from the top. Call GdiFlush() after GDI drawing first.
    uint32_t* Pixels() const { return pixels_; }

private:
    void Release();

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0;
};

}  // namespace ui::win32
