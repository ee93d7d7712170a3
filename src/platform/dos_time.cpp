#include "platform/dos_time.h"

namespace platform {

std::optional<uint32_t> packDosDateTime(const LocalDateTime& t) {
    if (t.year < 1980 || t.year > 2107) return std::nullopt;
    uint32_t date = (static_cast<uint32_t>(t.year - 1980) << 9) | (static_cast<uint32_t>(t.month) << 5) |
                    static_cast<uint32_t>(t.day);
    uint32_t time = (static_cast<uint32_t>(t.hour) << 11) | (static_cast<uint32_t>(t.minute) << 5) |
                    static_cast<uint32_t>(t.second / 2);
    return (date << 16) | time;
}

LocalDateTime unpackDosDateTime(uint32_t dos) {
    uint32_t date = dos >> 16, time = dos & 0xFFFF;
    return LocalDateTime{static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 0x0F),
                         static_cast<int>(date & 0x1F),     static_cast<int>(time >> 11),
                         static_cast<int>((time >> 5) & 0x3F), static_cast<int>((time & 0x1F) * 2)};
}

}  // namespace platform
