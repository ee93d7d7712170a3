#include "platform/win32/command_line.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_api.h"

#include <shellapi.h>

namespace platform::win32 {

std::vector<std::string> argumentsFromCommandLine(const wchar_t* commandLine) {
    std::vector<std::string> arguments;
    if (!commandLine) return arguments;
    int count = 0;
    wchar_t** split = CommandLineToArgvW(commandLine, &count);
    if (!split) return arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(fromWide(split[i]));
    LocalFree(split);  // one block for the array and its texts
    return arguments;
}

}  // namespace platform::win32

namespace platform {

std::vector<std::string> commandLineArguments(int argc, const char* const* argv) {
    std::vector<std::string> arguments = win32::argumentsFromCommandLine(GetCommandLineW());
    if (!arguments.empty()) return arguments;
    // The system could not split its own line: the runtime's arguments, from the ANSI code page.
    win32::Win32System system;
    for (int i = 0; i < argc && argv && argv[i]; ++i) arguments.push_back(system.decodeAnsi(argv[i]));
    return arguments;
}

}  // namespace platform
