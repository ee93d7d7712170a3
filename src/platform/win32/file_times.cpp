#include "platform/win32/file_times.h"

namespace platform::win32 {

std::optional<uint32_t> dosFromFileTime(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME fields;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields)) return std::nullopt;
    // The form holds 1980 to 2107; said here, since not every implementation of the call refuses
    // the years outside (Wine folds them into the range).
    if (fields.wYear < 1980 || fields.wYear > 2107 || !FileTimeToDosDateTime(&local, &date, &time))
        return std::nullopt;
    return (static_cast<uint32_t>(date) << 16) | time;
}

std::optional<FILETIME> fileTimeFromDos(uint32_t dos) {
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dos >> 16), static_cast<WORD>(dos & 0xFFFF), &local) ||
        !LocalFileTimeToFileTime(&local, &utc))
        return std::nullopt;
    return utc;
}

int64_t ticksOf(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME fileTimeOfTicks(int64_t ticks) {
    const auto bits = static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(bits & 0xFFFFFFFF), static_cast<DWORD>(bits >> 32)};
}

}  // namespace platform::win32
