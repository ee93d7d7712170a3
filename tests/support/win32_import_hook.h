// Watches a call that this program makes into a system library: the address in the program's own
// import table is replaced for the life of the hook (the replacement usually records the call and
// hands it to Original()). Windows only. It brings <windows.h>: include it after our own headers.
#pragma once

#ifdef _WIN32

#include "platform/win32/win32_api.h"

namespace testing_support {

class ImportHook {
public:
    // `library` as the import table names it, letter case ignored ("kernel32.dll").
    ImportHook(const char* library, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool Installed() const { return slot_ != nullptr; }
    void* Original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace testing_support

#endif  // _WIN32
