// Small files read whole: records, journals, manifests, logs. One bound for every caller, so a
// file that grew past what its reader expects is refused instead of filling memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace platform {

// The whole content of the file; none when it cannot be opened or read, or when it holds more
// than `limit` bytes.
std::optional<std::string> ReadWholeFile(FileSystem& files, const std::string& path, size_t limit);

}  // namespace platform
