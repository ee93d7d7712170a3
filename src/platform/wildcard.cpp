#include "platform/wildcard.h"

#include "platform/text.h"

namespace platform {

namespace {

char foldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

// Classic "*" backtracking: remember the last star and retry it one character further. Walks the
// texts in place, a character at a time by the one UTF-8 rule (a folder search matches every
// name of the folder: no copies).
bool matchCharacters(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        const size_t pLen = p < pattern.size() ? utf8CharLength(pattern, p) : 0;
        const size_t nLen = utf8CharLength(name, n);
        if (pLen == 1 && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (pLen > 0 && ((pLen == 1 && pattern[p] == '?') ||
                                sameCharacter(pattern.substr(p, pLen), name.substr(n, nLen)))) {
            p += pLen;
            n += nLen;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = resumeAt += utf8CharLength(name, resumeAt);
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool hasWildcards(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

bool matchesPattern(std::string_view pattern, std::string_view name) {
    if (matchCharacters(pattern, name)) return true;
    // "name.*" also finds "name" itself, as the Windows search does ("*.*" thus finds everything).
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return matchCharacters(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

}  // namespace platform
