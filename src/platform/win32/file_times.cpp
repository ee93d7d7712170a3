#include "platform/win32/file_times.h"

namespace platform::win32 {

std::optional<uint32_t> dosFromFileTime(const FILETIME& utc) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
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

}  // namespace platform::win32
