// The temporary file that a copy writes beside its destination: "~<name>.<8 hex digits>.tmp".
// Every copy (the file engine's and the platform's own) uses this one form, so that a later run
// can tell the leftovers of a killed copy from every other file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The full path of a temporary for `destination` (a full path) with the given tag.
std::string TemporaryNameFor(std::string_view destination, uint32_t tag);
// A tag that two copies rarely draw alike.
uint32_t RandomTemporaryTag();
// Whether a bare file name has exactly that form (lower-case hex digits, ".tmp" as written).
bool IsTemporaryName(std::string_view name);

}  // namespace platform
