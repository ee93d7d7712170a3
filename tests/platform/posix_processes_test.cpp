// The /proc process list and SIGKILL, with a real process running under a module's name.
// The POSIX backend only: the Win32 backend has its own tests (win32_*_test.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_processes.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

using platform::ProcessEntry;
using platform::posix::exeNameFrom;
using platform::posix::hasEnded;
using platform::posix::realUserOf;

TEST(PosixProcessNames, LastComponentOfFirstArgumentElseKernelName) {
    using namespace std::string_literals;
    EXPECT_EQ(exeNameFrom("C:\\QOR\\QOR7.EXE\0F\0"s, "QOR7.EXE\n"), "QOR7.EXE");
    EXPECT_EQ(exeNameFrom("/usr/bin/sleep\0" "30\0"s, "sleep\n"), "sleep");
    EXPECT_EQ(exeNameFrom("Z:\\terminal/dir\\SERVERQOR.EXE\0"s, "wine-preloader\n"), "SERVERQOR.EXE");
    EXPECT_EQ(exeNameFrom("", "kworker/0:1\n"), "kworker/0:1");
}

TEST(PosixProcessStatus, AZombieHasEndedButALeaderWhoseOtherThreadsRunHasNot) {
    const std::string zombie = "Name:\tQOR7.EXE\nState:\tZ (zombie)\nUid:\t1000\t0\t0\t0\nThreads:\t1\n";
    EXPECT_TRUE(hasEnded(zombie));
    EXPECT_TRUE(hasEnded("State:\tX (dead)\nThreads:\t1\n"));
    EXPECT_TRUE(hasEnded(""));
    EXPECT_FALSE(hasEnded("State:\tZ (zombie)\nThreads:\t3\n"));
    EXPECT_FALSE(hasEnded("State:\tS (sleeping)\nThreads:\t1\n"));
    EXPECT_EQ(realUserOf(zombie), 1000u);  // the real user, not the effective one
    EXPECT_EQ(realUserOf("Uid:\t\n"), std::nullopt);
}

TEST(PosixProcesses, ModuleRunningUnderWindowsNameIsListedAndEnded) {
    testing_support::TempDir dir;
    platform::posix::PosixFileSystem files;
    std::string program = dir.folder() + "MODULOX.EXE";
    ASSERT_TRUE(files.copyFile("/bin/sleep", program, true));
    // A Windows program under a compatibility layer shows its Windows path as first argument.
    std::string shownAs = "Z:\\terminal\\MODULOX.EXE";
    std::string seconds = "30";
    char* argv[] = {shownAs.data(), seconds.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);

    platform::posix::PosixProcesses processes;
    auto list = processes.snapshot(platform::SnapshotKind::ProcessesOnly);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; }));
    auto found = std::find_if(list.begin(), list.end(), [&](const ProcessEntry& e) { return e.pid == uint32_t(pid); });
    ASSERT_NE(found, list.end());
    EXPECT_EQ(found->exeName, "MODULOX.EXE");
    EXPECT_EQ(found->owner, getuid());
    EXPECT_EQ(processes.currentOwner(), getuid());
    auto self = std::find_if(list.begin(), list.end(), [](const ProcessEntry& e) { return e.pid == uint32_t(getpid()); });
    ASSERT_NE(self, list.end());
    EXPECT_EQ(self->exeName, "test_platform");

    EXPECT_TRUE(processes.terminate(static_cast<uint32_t>(pid)));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_FALSE(processes.terminate(static_cast<uint32_t>(pid)));  // gone now
}

// This program's own children only: the same test running at once in another program spawns
// children of the same user that must not count here.
std::string ChurnPrefix() { return "CHURN" + std::to_string(getpid()) + "_"; }

// Short-lived children started and reaped in batches on another thread; each child's first
// argument is "CHURN<our pid>_<n>", so a listed one tells which child it was.
class Churn {
public:
    Churn() : thread_([this] { loop(); }) {}
    ~Churn() {
        stop_ = true;
        thread_.join();
    }
    int reapedBelow() const { return reapedBelow_; }  // every child numbered below is gone

private:
    void loop() {
        for (int next = 0; !stop_;) {
            std::vector<pid_t> batch;
            for (int i = 0; i < 16; ++i, ++next) {
                std::string name = ChurnPrefix() + std::to_string(next);
                char* argv[] = {name.data(), nullptr};
                pid_t pid = 0;
                if (posix_spawn(&pid, "/bin/true", nullptr, nullptr, argv, environ) == 0) batch.push_back(pid);
            }
            for (pid_t pid : batch) waitpid(pid, nullptr, 0);
            reapedBelow_ = next;
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> reapedBelow_{0};
    std::thread thread_;
};

TEST(PosixProcesses, WalkUnderChurnNeverThrowsNorListsAReapedProcess) {
    platform::posix::PosixProcesses processes;
    Churn churn;
    int walks = 0, seen = 0;
    for (; walks < 2000 || churn.reapedBelow() < 400; ++walks) {
        const int gone = churn.reapedBelow();
        std::vector<ProcessEntry> list;
        ASSERT_NO_THROW(list = processes.snapshot(platform::SnapshotKind::ProcessesOnly));
        for (const ProcessEntry& entry : list) {
            if (entry.exeName.rfind(ChurnPrefix(), 0) != 0) continue;
            ++seen;
            ASSERT_GE(std::stoi(entry.exeName.substr(ChurnPrefix().size())), gone)
                << "listed after it was reaped, walk " << walks;
        }
    }
    RecordProperty("children", churn.reapedBelow());
    RecordProperty("walks", walks);
    RecordProperty("listed", seen);
}

}  // namespace

#endif  // _WIN32
