#include "process/fmx_utils.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/recording_shell.h"

using process::ExecutaPrograma;
using testing_support::RecordingShell;

TEST(ExecutaPrograma, PassesEverythingThroughWithoutVerbAndReturnsTheShellsCode) {
    int owner = 0;
    for (intptr_t code : {intptr_t{42}, intptr_t{2}, intptr_t{31}}) {
        RecordingShell shell(code);
        EXPECT_EQ(ExecutaPrograma(shell, &owner, "SERVERQOR.EXE", " ", "/opt/qor/", platform::SW_SHOW),
                  static_cast<uintptr_t>(code));
        ASSERT_EQ(shell.calls.size(), 1u);
        const RecordingShell::Call& call = shell.calls.front();
        EXPECT_EQ(call.ownerWindow, &owner);
        EXPECT_EQ(call.verb, "");
        EXPECT_EQ(call.file, "SERVERQOR.EXE");
        EXPECT_EQ(call.parameters, " ");
        EXPECT_EQ(call.directory, "/opt/qor/");
        EXPECT_EQ(call.showMode, 5);
    }
}

TEST(ExecutaPrograma, LongTextsReachTheShellWhole) {
    RecordingShell shell(2);
    const std::string longName(700, 'a');
    EXPECT_EQ(ExecutaPrograma(shell, nullptr, longName, "-x", "C:\\QOR\\", platform::SW_SHOWNORMAL), 2u);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls.front().file, longName);
    EXPECT_EQ(shell.calls.front().showMode, platform::SW_SHOWNORMAL);
}

namespace {
struct ThrowingShell : platform::Shell {
    intptr_t execute(void*, const std::string&, const std::string&, const std::string&,
                     const std::string&, int) override {
        throw std::runtime_error("no shell");
    }
};
}  // namespace

TEST(ExecutaPrograma, NeverRaisesEvenWhenTheShellDoes) {
    ThrowingShell shell;
    uintptr_t result = 99;
    EXPECT_NO_THROW(result = ExecutaPrograma(shell, nullptr, "QOR7.exe", " ", "/", 5));
    EXPECT_LE(result, 32u);
}
