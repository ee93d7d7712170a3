// What the Win32 window tests do as a person would: keys and clicks posted to a window's queue, a
// choice made in a popup menu. Windows only. It brings <windows.h>: include it after our own headers.
#pragma once

#ifdef _WIN32

#include <thread>
#include <vector>

#include "platform/win32/win32_api.h"

#include <commctrl.h>

namespace testing_support {

// False when there is no desktop to create windows on: the window tests are skipped then.
bool DesktopAvailable();

// Keys pressed on a window as the keyboard sends them: the message loop makes the characters.
void PostKey(HWND window, WPARAM virtualKey, UINT scanCode);
void PostClick(HWND window, UINT down, UINT up, WPARAM buttons, POINT at);

// The middle of a tree-view item's text, in the control's client coordinates.
POINT CentreOf(HWND tree, HTREEITEM item);

// The visible popup menu window of a thread, or null.
HWND MenuWindowOf(DWORD thread);

// A popup menu runs its own loop inside the click that opens it, so its keys come from another
// thread: this one waits for uiThread's menu, presses `keys` in it and closes it if still open a
// second later (a test never hangs). `menuSeen`, when given, tells whether a menu opened.
std::thread PressKeysInNextMenu(DWORD uiThread, std::vector<WPARAM> keys, bool* menuSeen = nullptr);

}  // namespace testing_support

#endif  // _WIN32
