#include "platform/posix/wildcard.h"

#include <vector>

#include "platform/text.h"

namespace platform::posix {

namespace {

char foldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

// Classic "*" backtracking: remember the last star and retry it one character further.
bool matchCharacters(const std::vector<std::string_view>& pattern, const std::vector<std::string_view>& name) {
    size_t p = 0, n = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == "*") {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == "?" || sameCharacter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == "*") ++p;
    return p == pattern.size();
}

}  // namespace

bool hasWildcards(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

bool matchesPattern(std::string_view pattern, std::string_view name) {
    if (matchCharacters(utf8Characters(pattern), utf8Characters(name))) return true;
    // "name.*" also finds "name" itself, as the Windows search does ("*.*" thus finds everything).
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return matchCharacters(utf8Characters(pattern.substr(0, pattern.size() - 2)), utf8Characters(name));
    return false;
}

}  // namespace platform::posix
