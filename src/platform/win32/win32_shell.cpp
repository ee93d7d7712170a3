#include "platform/win32/win32_shell.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

#include <objbase.h>
#include <shellapi.h>

namespace platform::win32 {

namespace {
// Null for empty text: ShellExecuteW then takes its defaults (default verb, no parameters, ...).
const wchar_t* orNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }
}  // namespace

Win32Shell::Win32Shell() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    comReady_ = SUCCEEDED(result);  // S_FALSE (already initialised) also needs its CoUninitialize
}

Win32Shell::~Win32Shell() {
    if (comReady_) CoUninitialize();
}

intptr_t Win32Shell::execute(void* ownerWindow, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory, int showMode) {
    const std::wstring wideVerb = toWide(verb), wideFile = toWide(file);
    const std::wstring wideParameters = toWide(parameters), wideDirectory = toWide(directory);
    const HINSTANCE result = ShellExecuteW(static_cast<HWND>(ownerWindow), orNull(wideVerb), wideFile.c_str(),
                                           orNull(wideParameters), orNull(wideDirectory), showMode);
    return reinterpret_cast<intptr_t>(result);
}

}  // namespace platform::win32
