#ifdef _WIN32

#include "support/win32_input.h"

#include <chrono>
#include <string>

namespace testing_support {

bool DesktopAvailable() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    DestroyWindow(probe);
    return true;
}

void PostKey(HWND window, WPARAM virtualKey, UINT scanCode) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scanCode) << 16);
    PostMessageW(window, WM_KEYUP, virtualKey, 1 | static_cast<LPARAM>(scanCode) << 16 | 0xC0000000);
}

void PostClick(HWND window, UINT down, UINT up, WPARAM buttons, POINT at) {
    PostMessageW(window, down, buttons, MAKELPARAM(at.x, at.y));
    PostMessageW(window, up, 0, MAKELPARAM(at.x, at.y));
}

POINT CentreOf(HWND tree, HTREEITEM item) {
    RECT box{};
    TreeView_GetItemRect(tree, item, &box, TRUE);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

HWND MenuWindowOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) != L"#32768" || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::thread PressKeysInNextMenu(DWORD uiThread, std::vector<WPARAM> keys, bool* menuSeen) {
    return std::thread([uiThread, keys = std::move(keys), menuSeen] {
        HWND menu = nullptr;
        for (int i = 0; i < 100 && !menu; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            menu = MenuWindowOf(uiThread);
        }
        if (!menu) return;
        if (menuSeen) *menuSeen = true;
        for (WPARAM key : keys) {
            PostMessageW(menu, WM_KEYDOWN, key, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        if (MenuWindowOf(uiThread)) PostMessageW(menu, WM_CANCELMODE, 0, 0);
    });
}

}  // namespace testing_support

#endif  // _WIN32
