#include "platform/text.h"

namespace platform {

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && upperAscii(a) == upperAscii(b);
}

std::string trimBlanks(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

bool isSeparator(char c) {
    return c == '\\' || c == '/' || (kColonIsDriveDelimiter && c == ':');
}

static size_t lastSeparator(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

std::string folderPart(std::string_view path) {
    size_t at = lastSeparator(path);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

std::string fileNamePart(std::string_view path) {
    size_t at = lastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string pathForDisplay(std::string_view path) {
    std::string shown(path);
    // Windows users know both separators from their own system; Linux users know only "/".
    if (!kColonIsDriveDelimiter)
        for (char& c : shown)
            if (c == '\\') c = '/';
    return shown;
}

// Length in bytes of the UTF-8 sequence that starts at `i`; 1 for a byte that starts none.
static size_t sequenceLength(std::string_view text, size_t i) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (i + len > text.size()) return 1;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
    return len;
}

size_t utf8Length(std::string_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i += sequenceLength(text, i)) ++count;
    return count;
}

std::string utf8Slice(std::string_view text, size_t first, size_t count) {
    size_t i = 0, index = 1;
    for (; i < text.size() && index < first; ++index) i += sequenceLength(text, i);
    size_t start = i;
    for (size_t taken = 0; i < text.size() && taken < count; ++taken) i += sequenceLength(text, i);
    return std::string(text.substr(start, i - start));
}

}  // namespace platform
