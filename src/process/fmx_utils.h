// Small utilities shared by the windows: starting a program through the platform shell.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace process {

// Starts `file` with the shell's default action (no verb), in `folder`, with `parameters` and the
// given show mode; ownerWindow owns any message the shell itself shows. Returns the shell's value:
// more than 32 on success, else its error code. Never raises: the result is the only report.
uintptr_t ExecutaPrograma(platform::Shell& shell, void* ownerWindow, const std::string& file,
                          const std::string& parameters, const std::string& folder, int showMode);

}  // namespace process
