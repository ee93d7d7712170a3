// Text rules shared by every layer: ASCII-only upper-casing, trimming of codes 0..32, the folder
// and file-name parts of a path, and character-wise slicing of UTF-8 text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

#ifdef _WIN32
inline constexpr bool kColonIsDriveDelimiter = true;
#else
inline constexpr bool kColonIsDriveDelimiter = false;
#endif

std::string upperAscii(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
// Negative, zero or positive as upperAscii(a) sorts before, with or after upperAscii(b), copying nothing.
int compareIgnoringAsciiCase(std::string_view a, std::string_view b);
// The order an NTFS folder lists names in: ASCII case ignored, ties broken by the bytes themselves.
bool folderOrder(std::string_view a, std::string_view b);

// Removes every leading and trailing character with a code from 0 to 32.
std::string trimBlanks(std::string_view text);

bool isSeparator(char c);  // "\" or "/" (and ":" where it delimits a drive)

// Everything up to and including the last separator; empty when there is none.
std::string folderPart(std::string_view path);
// What follows the last separator.
std::string fileNamePart(std::string_view path);

// A path as the user reads it on this system: "/" throughout on POSIX systems; unchanged on Windows.
std::string pathForDisplay(std::string_view path);

// Characters (not bytes) of UTF-8 text, the one rule for every layer: a well-formed sequence (no
// overlong form, no surrogate, nothing past U+10FFFF) is one character, any other byte is one
// character of its own.
// Bytes of the character that starts at byte `i`; 1 for an ASCII byte and for an invalid one.
size_t utf8CharLength(std::string_view text, size_t i);
std::vector<std::string_view> utf8Characters(std::string_view text);

// Count, and the slice of at most `count` characters that starts at character `first` (1-based).
size_t utf8Length(std::string_view text);
std::string utf8Slice(std::string_view text, size_t first, size_t count);

}  // namespace platform
