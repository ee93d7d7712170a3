// Our own reader of Windows INI files, for systems without the Windows profile functions and, on
// Windows, for files in UTF-8 without a byte-order mark (which those functions read in the ANSI
// code page). It follows the reading rules of the suite's settings file: section and key case
// ignored, blanks and one pair of quotes removed, values cut at 2,047 characters and at a zero
// character, the default when the section or key is absent. Files with a UTF-8 or UTF-16
// byte-order mark are decoded by the mark; others as UTF-8 when all of them is valid UTF-8, else
// as Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string ReadProfileString(std::string_view fileBytes, std::string_view section,
                              std::string_view key, const std::string& defaultValue);

}  // namespace platform
