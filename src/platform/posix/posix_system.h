// The running program and its surroundings on a Linux workstation.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

class PosixSystem : public System {
public:
    std::string executablePath() override;
    std::string currentDirectory() override;
    std::optional<Rect> workArea() override;  // none: on Linux the window toolkit knows it
    // Our own INI reading over the file's bytes; the default when the file cannot be read.
    std::string profileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue) override;
    // The separator of the user's numeric locale (LC_NUMERIC, LC_ALL or LANG); empty in the C locale.
    std::string thousandsSeparator() override;
    std::optional<std::string> machineName() override;  // gethostname
    std::optional<std::string> userName() override;     // the real user's entry in the user database
};

}  // namespace platform::posix
