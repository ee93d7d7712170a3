// The command line as Windows keeps it: UTF-16 text split by the system's own rules.
#pragma once

#include <string>
#include <vector>

namespace platform::win32 {

// Splits a command line as the shell does (quotes, backslashes) and gives each argument as UTF-8;
// empty when the line cannot be split.
std::vector<std::string> argumentsFromCommandLine(const wchar_t* commandLine);

}  // namespace platform::win32
