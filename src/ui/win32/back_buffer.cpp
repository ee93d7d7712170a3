#include "ui/win32/back_buffer.h"

namespace ui::win32 {

bool BackBuffer::Resize(HDC compatible, int width, int height) {
    if (dc_ && width == width_ && height == height_) return true;
    Release();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows, like the model's pictures
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(compatible);
    bitmap_ = dc_ ? CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!bitmap_) {
        Release();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void BackBuffer::Release() {
    if (dc_ && previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    pixels_ = nullptr;
    width_ = height_ = 0;
}

}  // namespace ui::win32
