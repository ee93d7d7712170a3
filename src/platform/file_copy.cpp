// The copy step every open file can take: through the caller's buffer, one read and one write.
#include <algorithm>

#include "platform/platform.h"

namespace platform {

Transfer File::copyTo(File& destination, void* buffer, int64_t count) {
    const int64_t read = this->read(buffer, count);
    if (read <= 0) return {read, 0};
    return {read, std::max<int64_t>(destination.write(buffer, read), 0)};
}

}  // namespace platform
