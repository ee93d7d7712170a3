// Text for the person at the terminal. A window program has no standard output of its own unless
// it was redirected; started from a console, it writes into that console, in UTF-16 so that the
// console's code page cannot spoil the accents.
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace platform {

namespace {

bool writeAllTo(HANDLE output, std::string_view text) {
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode)) {
        const std::wstring wide = win32::toWide(std::string(text));
        DWORD written = 0;
        return WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) &&
               written == wide.size();
    }
    DWORD written = 0;
    return WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

bool writeToConsole(std::string_view text) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE) return writeAllTo(output, text);
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    win32::Handle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    const bool written = console.valid() && writeAllTo(console.get(), text);
    FreeConsole();
    return written;
}

}  // namespace platform
