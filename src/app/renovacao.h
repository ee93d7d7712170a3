// The updater's own renewal, the part that runs outside a run: the proven copy that takes the
// program's name once the run that tried it has ended (where a running program cannot be replaced).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace app {

// Internal, started by the run itself: "--assumir <pid> <start time>". Not in the help.
inline constexpr const char* kComandoAssumir = "--assumir";

// None when the arguments are not that command; else the exit status (0: nothing is shown).
std::optional<int> ComandoAssumir(const std::vector<std::string>& argumentos, platform::Platform& plataforma);

}  // namespace app
