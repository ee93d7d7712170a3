#include <gtest/gtest.h>

#include <filesystem>

#include "app/trava_execucao.h"
#include "platform/platform.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace {

// The program copied alone into a fresh program folder, as on a terminal.
class ExecutableTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        std::filesystem::copy_file(ATUALIZA_EXE, Program());
    }
    testing_support::TempDir folder;
    std::string Program() const {
        return (folder / std::filesystem::path(ATUALIZA_EXE).filename().string()).string();
    }
};

// Alone in its folder the program finds no settings and no QOR7.exe: the failure path (1) and a
// launch that failed (4).
TEST_F(ExecutableTest, HeadlessRunEndsByItselfWithTheFailurePathsStatus) {
    const auto result = testing_support::RunAndWait(Program(), {}, folder.path().string(), 10);
    ASSERT_TRUE(result.exitStatus.has_value()) << "still running after 10 s";
    EXPECT_EQ(*result.exitStatus, 5);
    EXPECT_GE(result.seconds, 0.4);  // the timer's first tick comes after about 500 ms
    EXPECT_LT(result.seconds, 5.0);
}

TEST_F(ExecutableTest, DesignModeWindowDoesNotWaitForAPersonWhenHeadless) {
    for (const char* second : {"design", "Design"}) {
        const auto result = testing_support::RunAndWait(Program(), {"F", second}, folder.path().string(), 10);
        ASSERT_TRUE(result.exitStatus.has_value()) << second;
        EXPECT_EQ(*result.exitStatus, 5) << second;
    }
}

// The icon clicked twice: the second run finds the first one's lock on the program folder and
// ends at once, starting nothing and touching nothing but the log, which says why.
TEST_F(ExecutableTest, ASecondRunOnTheSameFolderEndsAtOnceAndSaysWhy) {
    auto files = platform::makeNativePlatform().files;
    {
        const platform::LockResult first = files->lockExclusive(folder.folder() + std::string(app::kNomeTrava));
        ASSERT_EQ(first.outcome, platform::LockOutcome::Taken);
        const auto result = testing_support::RunAndWait(Program(), {}, folder.path().string(), 10);
        ASSERT_TRUE(result.exitStatus.has_value());
        EXPECT_EQ(*result.exitStatus, 8);
        EXPECT_LT(result.seconds, 0.4);  // before the window's first tick
        EXPECT_NE(folder.read("AtualizaTerminalQOR7.log").find("outra execução já atualiza esta pasta"), std::string::npos);
    }
    // Released when its holder ends: the next run works as usual.
    const auto result = testing_support::RunAndWait(Program(), {}, folder.path().string(), 10);
    ASSERT_TRUE(result.exitStatus.has_value());
    EXPECT_EQ(*result.exitStatus, 5);
}

}  // namespace
