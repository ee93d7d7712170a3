// The POSIX backend's wildcard matcher against a reference: a table of which pattern prefix
// matches which name prefix, over characters as the Unicode standard reads UTF-8.
#include <algorithm>
#include <vector>

#include "fuzz_support.h"
#include "platform/wildcard.h"

namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

bool ReferenceMatch(std::string_view pattern, std::string_view name) {
    const auto p = fuzz::ReferenceCharacters(pattern), n = fuzz::ReferenceCharacters(name);
    // matches[i][j]: the first i pattern characters match the first j name characters.
    std::vector<std::vector<bool>> matches(p.size() + 1, std::vector<bool>(n.size() + 1, false));
    matches[0][0] = true;
    for (size_t i = 1; i <= p.size(); ++i)
        for (size_t j = 0; j <= n.size(); ++j) {
            if (p[i - 1] == "*") matches[i][j] = matches[i - 1][j] || (j > 0 && matches[i][j - 1]);
            else if (j > 0) matches[i][j] = matches[i - 1][j - 1] && (p[i - 1] == "?" || SameIgnoringAsciiCase(p[i - 1], n[j - 1]));
        }
    return matches[p.size()][n.size()];
}

}  // namespace

// Pattern and name, split at the first zero byte.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 600) return 0;  // the reference's table grows with the square of the input
    const auto [pattern, name] = fuzz::SplitAt(fuzz::AsText(data, size), '\0');
    bool expected = ReferenceMatch(pattern, name);
    // "name.*" also finds a name without extension, as the Windows search does.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        expected = expected || ReferenceMatch(pattern.substr(0, pattern.size() - 2), name);
    const bool got = platform::matchesPattern(pattern, name);
    FUZZ_CHECK(got == expected, fuzz::Visible(pattern) + " vs " + fuzz::Visible(name) + (got ? ": matched" : ": no match"));
    return 0;
}
