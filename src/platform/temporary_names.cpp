#include "platform/temporary_names.h"

#include <cstdio>
#include <mutex>
#include <random>

#include "platform/text.h"

namespace platform {

namespace {
constexpr std::string_view kExtension = ".tmp";
constexpr size_t kTagDigits = 8;
}  // namespace

std::string TemporaryNameFor(std::string_view destination, uint32_t tag) {
    char digits[kTagDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(tag));
    return folderPart(destination) + "~" + fileNamePart(destination) + "." + digits + std::string(kExtension);
}

uint32_t RandomTemporaryTag() {
    static std::mutex guard;
    static std::mt19937 generator{std::random_device{}()};
    const std::lock_guard<std::mutex> lock(guard);
    return static_cast<uint32_t>(generator());
}

bool IsTemporaryName(std::string_view name) {
    // "~", at least one character of the destination's name, ".", the tag, ".tmp".
    if (name.size() < 2 + 1 + kTagDigits + kExtension.size() || name.front() != '~' || !name.ends_with(kExtension))
        return false;
    const std::string_view tag = name.substr(name.size() - kExtension.size() - kTagDigits, kTagDigits);
    for (char c : tag)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return name[name.size() - kExtension.size() - kTagDigits - 1] == '.';
}

}  // namespace platform
