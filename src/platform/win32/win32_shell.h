// Starting programs and opening documents through ShellExecuteW.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

class Win32Shell : public Shell {
public:
    Win32Shell();
    ~Win32Shell() override;
    Win32Shell(const Win32Shell&) = delete;
    Win32Shell& operator=(const Win32Shell&) = delete;

    intptr_t execute(void* ownerWindow, const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& directory, int showMode) override;

private:
    bool comReady_ = false;  // shell extensions that answer ShellExecuteW need COM on this thread
};

}  // namespace platform::win32
