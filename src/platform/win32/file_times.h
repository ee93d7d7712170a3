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

// A FILETIME as one 64-bit count of 100-ns steps, and back.
int64_t ticksOf(const FILETIME& time);
FILETIME fileTimeOfTicks(int64_t ticks);

}  // namespace platform::win32
