// Starting a program that outlives us: its own session, its own folder, no zombie left behind,
// and exec failures reported back to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::posix {

// Starts `program` (a full path) with `arguments` (argv[0] included) in `folder` (the current
// one when empty), its standard streams on /dev/null. Returns a ShellExecute code: 42 once the
// program runs, 3 when the folder cannot be entered, 2 when the program or its interpreter is
// missing, 5 when access is denied, 11 when it is no program, 8 when resources run out.
intptr_t spawnDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder);

inline constexpr intptr_t kShellSuccess = 42;

}  // namespace platform::posix
