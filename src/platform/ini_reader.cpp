#include "platform/ini_reader.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "platform/text_decoding.h"

namespace platform {

namespace {

// GetPrivateProfileString is called with a buffer of 2,048 characters: one goes to the terminator.
constexpr size_t kMaxValueChars = 2047;

// The name of a section header line "[name]" (already trimmed), or nothing for another line.
std::optional<std::string> sectionName(std::string_view line) {
    if (line.empty() || line.front() != '[') return std::nullopt;
    size_t close = line.find(']');
    std::string_view inner = line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                            : close - 1);
    return trimBlanks(inner);
}

std::string unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The raw value of `key` in the first section named `section`, or nothing when either is absent.
std::optional<std::string_view> findValue(const std::vector<std::string_view>& lines,
                                          std::string_view section, std::string_view key) {
    bool inSection = false, sectionSeen = false;
    for (std::string_view raw : lines) {
        std::string line = trimBlanks(raw);
        if (auto name = sectionName(line)) {
            if (sectionSeen) return std::nullopt;  // a repeated section is not read again
            inSection = equalsIgnoringAsciiCase(*name, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection || line.empty()) continue;
        size_t eq = raw.find('=');
        std::string_view name = raw.substr(0, eq);
        if (!equalsIgnoringAsciiCase(trimBlanks(name), key)) continue;
        // The key without "=" is there without a value: the default, as the Windows profile
        // functions give it.
        if (eq == std::string_view::npos) return std::nullopt;
        return raw.substr(eq + 1);
    }
    return std::nullopt;
}

}  // namespace

std::string ReadProfileString(std::string_view fileBytes, std::string_view section,
                              std::string_view key, const std::string& defaultValue) {
    const std::string text = DecodeText(fileBytes);
    const auto lines = SplitLines(text);
    auto raw = findValue(lines, section, key);
    // The Windows profile functions hand a value out as a C string: it ends at a zero character.
    if (raw) raw = raw->substr(0, raw->find('\0'));
    const std::string value = raw ? unquote(trimBlanks(*raw)) : defaultValue;
    return utf8Slice(value, 1, kMaxValueChars);
}

}  // namespace platform
