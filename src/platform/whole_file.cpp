#include "platform/whole_file.h"

namespace platform {

std::optional<std::string> ReadWholeFile(FileSystem& files, const std::string& path, size_t limit) {
    const std::unique_ptr<File> file = files.openRead(path);
    if (!file) return std::nullopt;
    std::string bytes;
    char block[16384];
    for (;;) {
        const int64_t read = file->read(block, sizeof block);
        if (read < 0 || bytes.size() + static_cast<size_t>(read) > limit) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(block, static_cast<size_t>(read));
    }
}

}  // namespace platform
