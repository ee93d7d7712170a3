// Text for the person at the terminal: standard output as it is.
#include <cstdio>

#include "platform/platform.h"

namespace platform {

bool writeToConsole(std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return std::fflush(stdout) == 0 && written;
}

}  // namespace platform
