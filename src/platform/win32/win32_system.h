// The running program, its folders, the desktop work area and the profile (INI) functions.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

class Win32System : public System {
public:
    std::string executablePath() override;
    std::string currentDirectory() override;
    std::optional<Rect> workArea() override;
    std::string profileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue) override;
    std::string thousandsSeparator() override;  // the user's LOCALE_STHOUSAND
    std::string decodeAnsi(std::string_view bytes) override;  // CP_ACP
    std::optional<std::string> machineName() override;  // GetComputerNameW
    std::optional<std::string> userName() override;     // GetUserNameW
};

}  // namespace platform::win32
