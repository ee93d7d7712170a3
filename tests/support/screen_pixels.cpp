#include "support/screen_pixels.h"

#include <algorithm>

namespace testing_support {

ui::Picture Cut(const ui::Picture& picture, int left, int top, int right, int bottom) {
    left = std::clamp(left, 0, picture.width), right = std::clamp(right, left, picture.width);
    top = std::clamp(top, 0, picture.height), bottom = std::clamp(bottom, top, picture.height);
    ui::Picture part{right - left, bottom - top, {}};
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) part.pixels.push_back(picture.at(x, y));
    return part;
}

}  // namespace testing_support

#ifdef _WIN32

#include "platform/win32/win32_api.h"

namespace testing_support {

ui::Picture ScreenPixelsOf(const std::string&, unsigned long long handle) {
    HWND window = handle ? reinterpret_cast<HWND>(handle) : GetDesktopWindow();  // 0: the whole screen
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return {};
    ui::Picture picture{client.right, client.bottom, {}};
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = bitmap && BitBlt(memory, 0, 0, picture.width, picture.height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    if (copied) {
        const auto* source = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = source[i] | 0xFF000000u;
    }
    SelectObject(memory, previous);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    if (!copied) return {};
    return picture;
}

}  // namespace testing_support

#else

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testing_support {

ui::Picture ScreenPixelsOf(const std::string& displayName, unsigned long long window) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return {};
    ui::Picture picture;
    if (window == 0) window = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes)) {
        if (XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap)) {
            picture.width = attributes.width;
            picture.height = attributes.height;
            for (int y = 0; y < picture.height; ++y)
                for (int x = 0; x < picture.width; ++x)
                    picture.pixels.push_back(0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFF));
            XDestroyImage(image);
        }
    }
    XCloseDisplay(display);
    return picture;
}

}  // namespace testing_support

#endif
