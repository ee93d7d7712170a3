// File-name patterns as the Windows search reads them: "*" any run of characters (none
// included), "?" exactly one character, ASCII letter case ignored, and a trailing ".*" that also
// matches a name without extension ("QOR7.*" finds "QOR7"). The POSIX search matches with it, and
// both systems use it to tell whether a name falls under a mask without searching a folder.
#pragma once

#include <string_view>

namespace platform {

bool hasWildcards(std::string_view pattern);
bool matchesPattern(std::string_view pattern, std::string_view name);

}  // namespace platform
