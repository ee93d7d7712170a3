// Sends one command to a running share's control socket.
#pragma once

#include <optional>
#include <string>

namespace share {

// The answer, or none when the share could not be reached within timeoutSeconds.
std::optional<std::string> SendCommand(const std::string& socketPath, const std::string& command,
                                       double timeoutSeconds = 10);

}  // namespace share
