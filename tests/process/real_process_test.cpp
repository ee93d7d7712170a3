// Module processes against the machine's own process table: copies of sleep run under a module's
// name and under another name; only the module is found and ended.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "process/modules.h"
#include "support/temp_dir.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A rarely used module name, so that no other program on the machine is taken for ours.
constexpr const char* kModule = "WELMONTARA7.EXE";
constexpr const char* kBystander = "BYSTANDER.EXE";

class RealProcesses : public ::testing::Test {
protected:
    void TearDown() override {
        for (pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts a copy of sleep named `name`; its first argument is its full path, as a shell gives it.
    pid_t spawnSleepAs(const std::string& name) {
        fs::path copy = dir_ / name;
        fs::copy_file("/bin/sleep", copy, fs::copy_options::overwrite_existing);
        fs::permissions(copy, fs::perms::owner_all);
        std::string path = copy.string(), seconds = "60";
        char* argv[] = {path.data(), seconds.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return 0;
        children_.push_back(pid);
        return pid;
    }

    // Reaps a child that has been ended; false when it is still running after the wait.
    bool reapedAfterKill(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid) return false;
        std::erase(children_, pid);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    bool stillRunning(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

    // Named mode until the table lists the new process: it needs a moment to exec.
    uintptr_t waitUntilListed(platform::Processes& table, const std::string& name) {
        for (int i = 0; i < 200; ++i) {
            uintptr_t handel = 0;
            bool servidor = false;
            if (!process::VerModuloAberto(table, name, handel, servidor).empty()) return handel;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    testing_support::TempDir dir_;
    std::vector<pid_t> children_;
};

}  // namespace

TEST_F(RealProcesses, FindsAndEndsAModuleAndLeavesOtherProcesses) {
    std::shared_ptr<platform::Processes> table = platform::makeNativePlatform().processes;
    ASSERT_TRUE(table);
    pid_t module = spawnSleepAs(kModule);
    pid_t bystander = spawnSleepAs(kBystander);
    ASSERT_GT(module, 0);
    ASSERT_GT(bystander, 0);

    EXPECT_EQ(waitUntilListed(*table, kModule), static_cast<uintptr_t>(module));
    EXPECT_EQ(waitUntilListed(*table, "bystander.exe"), static_cast<uintptr_t>(bystander));

    // List mode finds a suite module (ours, unless another one runs earlier in the table).
    uintptr_t scratch = 7;
    bool servidor = false;
    std::string found = process::VerModuloAberto(*table, "", scratch, servidor);
    EXPECT_FALSE(found.empty());
    EXPECT_EQ(scratch, 7u);

    EXPECT_EQ(process::KillTask(*table, "welmontara7.exe"), 1);
    EXPECT_TRUE(reapedAfterKill(module));
    EXPECT_TRUE(stillRunning(bystander));

    uintptr_t handel = 7;
    EXPECT_EQ(process::VerModuloAberto(*table, kModule, handel, servidor), "");
    EXPECT_EQ(handel, 7u);
    EXPECT_EQ(process::KillTask(*table, kModule), 0);
}
