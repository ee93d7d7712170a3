// The packed DOS date-time form (date in the high 16 bits, time in the low 16 bits, 2-second
// steps, years 1980..2107) in which file times are compared and copied.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

struct LocalDateTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// None when the year lies outside 1980..2107; odd seconds round down to the 2-second step.
std::optional<uint32_t> packDosDateTime(const LocalDateTime& t);
LocalDateTime unpackDosDateTime(uint32_t dos);

}  // namespace platform
