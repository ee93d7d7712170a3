// The command line under Windows: UTF-16 text split by the system, handed on as UTF-8.
#ifdef _WIN32

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/text.h"
#include "platform/win32/command_line.h"
#include "platform/win32/win32_api.h"

namespace {

using platform::win32::argumentsFromCommandLine;
using Args = std::vector<std::string>;

TEST(Win32CommandLine, QuotedProgramPathAndPlainArguments) {
    EXPECT_EQ(argumentsFromCommandLine(L"\"C:\\Arquivos de Programas\\QOR7\\AtualizaTerminalQOR7.exe\" F design"),
              (Args{"C:\\Arquivos de Programas\\QOR7\\AtualizaTerminalQOR7.exe", "F", "design"}));
    EXPECT_EQ(argumentsFromCommandLine(L"a.exe \"\" design"), (Args{"a.exe", "", "design"}));
}

TEST(Win32CommandLine, TextOutsideAnyAnsiCodePageArrivesAsUtf8) {
    // Latin, Greek and Chinese at once fit in no single ANSI code page: only UTF-16 carries them.
    EXPECT_EQ(argumentsFromCommandLine(L"a.exe \"S\u00E3o Jos\u00E9\" \u0391\u03B8\u03AE\u03BD\u03B1 \u4E2D\u6587"),
              (Args{"a.exe", "S\xC3\xA3o Jos\xC3\xA9", "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", "\xE4\xB8\xAD\xE6\x96\x87"}));
}

TEST(Win32CommandLine, TheProcessReadsItsOwnUtf16Line) {
    const char* ansi[] = {"ignored.exe", "ignored"};
    const Args arguments = platform::commandLineArguments(2, ansi);
    ASSERT_FALSE(arguments.empty());
    EXPECT_EQ(arguments, argumentsFromCommandLine(GetCommandLineW()));
    const std::string program = platform::upperAscii(platform::fileNamePart(arguments[0]));
    EXPECT_NE(program.find("TEST_PLATFORM_WIN32"), std::string::npos) << arguments[0];
}

}  // namespace

#endif  // _WIN32
