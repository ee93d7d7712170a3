#include "platform/platform.h"

namespace platform {

bool ReadOneVersion(File& file, const FileStamp& opened, uint64_t bytesRead) {
    const std::optional<FileStamp> now = file.stamp();
    return now && *now == opened && bytesRead == opened.size;
}

}  // namespace platform
