// Last-write times in the packed DOS form (local time, 2-second steps), converted the way the
// Windows file functions do it.
#pragma once

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <optional>

namespace platform::win32 {

// None when the time lies outside 1980..2107.
std::optional<uint32_t> dosFromFileTime(const FILETIME& utc);
std::optional<FILETIME> fileTimeFromDos(uint32_t dos);

}  // namespace platform::win32
