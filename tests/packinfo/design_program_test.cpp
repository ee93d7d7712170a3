// The real program in design mode, headless: the package window comes first, then the normal run.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // -1: killed at the deadline
    double seconds = 0;
    std::string output;  // standard output and error, in the order written
};

Outcome RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder) {
    const std::string outputFile = folder + "output.txt";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return outcome;
    int status = 0;
    for (;;) {
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        if (outcome.seconds > 15) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (status != -1 && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    std::ifstream in(outputFile);
    outcome.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return outcome;
}

class DesignProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ATUALIZA_UI", "headless", 1);
        fs::copy_file(ATUALIZA_EXE, Program());
        folder.write("midas.dll", "");
    }
    std::string Program() const { return (folder / fs::path(ATUALIZA_EXE).filename().string()).string(); }
    Outcome Run(const char* second) { return RunProgram(Program(), {"", second}, folder.folder()); }
    testing_support::TempDir folder;
};

const char* const kWindow = "--- window Package Information\n";

TEST_F(DesignProgramTest, WindowComesFirstThenTheNormalRun) {
    const Outcome outcome = Run("design");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    const size_t window = outcome.output.find(kWindow);
    ASSERT_EQ(window, 0u) << outcome.output;
    EXPECT_NE(outcome.output.find("midas.dll\n"), std::string::npos);
    const size_t splash = outcome.output.find("FrmAtuModulo.");
    EXPECT_NE(splash, std::string::npos) << "the splash window follows";
    EXPECT_EQ(outcome.output.find(kWindow, window + 1), std::string::npos) << "shown once";
}

TEST_F(DesignProgramTest, MarkerKeepsTheWindowHalfASecondLonger) {
    folder.write("pular.txt", "");
    const Outcome outcome = Run("design");
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(outcome.output.find(kWindow), 0u);
    EXPECT_NE(outcome.output.find("FrmAtuModulo."), std::string::npos);
    EXPECT_GE(outcome.seconds, 0.95) << "half a second of window, half a second to the splash's tick";
}

TEST_F(DesignProgramTest, OnlyTheExactLowerCaseWordShowsTheWindow) {
    for (const char* other : {"Design", "DESIGN", ""}) {
        const Outcome outcome = Run(other);
        ASSERT_EQ(outcome.status, 0) << other;
        EXPECT_EQ(outcome.output.find(kWindow), std::string::npos) << other;
        EXPECT_NE(outcome.output.find("FrmAtuModulo."), std::string::npos) << other;
    }
}

}  // namespace
#endif
