#include "platform/text.h"

#include <algorithm>
#include <cstdint>

namespace platform {

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

namespace {
unsigned char upperByte(char c) {
    return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}
}  // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoringAsciiCase(a, b) == 0;
}

int compareIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i)
        if (upperByte(a[i]) != upperByte(b[i])) return upperByte(a[i]) < upperByte(b[i]) ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool folderOrder(std::string_view a, std::string_view b) {
    const int folded = compareIgnoringAsciiCase(a, b);
    return folded != 0 ? folded < 0 : a < b;
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

size_t utf8CharLength(std::string_view text, size_t i) {
    auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    size_t len = 0;
    uint32_t cp = 0, min = 0;
    if ((lead & 0xE0) == 0xC0) len = 2, min = 0x80, cp = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0) len = 3, min = 0x800, cp = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0) len = 4, min = 0x10000, cp = lead & 0x07;
    else return 1;  // ASCII, or a byte that starts no sequence
    if (i + len > text.size()) return 1;
    for (size_t k = 1; k < len; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) return 1;
        cp = (cp << 6) | (at(i + k) & 0x3F);
    }
    const bool wellFormed = cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    return wellFormed ? len : 1;
}

std::vector<std::string_view> utf8Characters(std::string_view text) {
    std::vector<std::string_view> characters;
    for (size_t i = 0; i < text.size();) {
        const size_t len = utf8CharLength(text, i);
        characters.push_back(text.substr(i, len));
        i += len;
    }
    return characters;
}

size_t utf8Length(std::string_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i += utf8CharLength(text, i)) ++count;
    return count;
}

std::string utf8Slice(std::string_view text, size_t first, size_t count) {
    size_t i = 0, index = 1;
    for (; i < text.size() && index < first; ++index) i += utf8CharLength(text, i);
    size_t start = i;
    for (size_t taken = 0; i < text.size() && taken < count; ++taken) i += utf8CharLength(text, i);
    return std::string(text.substr(start, i - start));
}

}  // namespace platform
