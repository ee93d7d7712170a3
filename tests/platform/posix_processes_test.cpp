// The /proc process list and SIGKILL, with a real process running under a module's name.
// The POSIX backend only: the Win32 backend has its own tests (win32_*_test.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>
#include <linux/sched.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <atomic>
#include <string>
#include <thread>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_processes.h"
#include "support/syscall_answers.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

using platform::ProcessEntry;
using platform::posix::exeNameFrom;
using platform::posix::hasEnded;
using platform::posix::realUserOf;
using platform::posix::startTimeOf;

pid_t StartSleep(const char* shownAs) {
    std::string first = shownAs, seconds = "30";
    char* argv[] = {first.data(), seconds.data(), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

bool Running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

void End(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::optional<ProcessEntry> Listed(platform::Processes& processes, pid_t pid) {
    for (const ProcessEntry& entry : processes.snapshot(platform::SnapshotKind::ProcessesOnly))
        if (entry.pid == uint32_t(pid)) return entry;
    return std::nullopt;
}

// Starts the same program under the number `pid` itself (clone3 asking for that number: root
// only); -1 when the kernel refuses. Asking for the number, rather than setting the last number
// given, cannot lose it to a process that other tests start at the same moment.
pid_t StartSleepAs(pid_t pid, const char* shownAs) {
    std::string first = shownAs, seconds = "30";
    char* argv[] = {first.data(), seconds.data(), nullptr};
    clone_args args{};
    args.exit_signal = SIGCHLD;
    args.set_tid = reinterpret_cast<uintptr_t>(&pid);
    args.set_tid_size = 1;
    const long child = syscall(SYS_clone3, &args, sizeof args);
    if (child == 0) {
        execve("/bin/sleep", argv, environ);
        _exit(127);
    }
    return child > 0 ? static_cast<pid_t>(child) : -1;
}

TEST(PosixProcessNames, LastComponentOfFirstArgumentElseKernelName) {
    using namespace std::string_literals;
    EXPECT_EQ(exeNameFrom("C:\\QOR\\QOR7.EXE\0F\0"s, "QOR7.EXE\n"), "QOR7.EXE");
    EXPECT_EQ(exeNameFrom("/usr/bin/sleep\0" "30\0"s, "sleep\n"), "sleep");
    EXPECT_EQ(exeNameFrom("Z:\\terminal/dir\\SERVERQOR.EXE\0"s, "wine-preloader\n"), "SERVERQOR.EXE");
    EXPECT_EQ(exeNameFrom("", "kworker/0:1\n"), "kworker/0:1");
}

TEST(PosixProcessStatus, TheStartTimeIsTheTwentySecondFieldWhateverTheKernelNameHolds) {
    const std::string fields = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 987654321 20 21\n";
    EXPECT_EQ(startTimeOf("4242 (sleep)" + fields), 987654321u);
    EXPECT_EQ(startTimeOf("4242 (a) b (c) 5 6)" + fields), 987654321u);
    EXPECT_EQ(startTimeOf("4242 (sleep) S 1 2"), std::nullopt);
    EXPECT_EQ(startTimeOf("4242 sleep"), std::nullopt);
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

    // Another start under the same number (the process that had it before) is not this one.
    ProcessEntry earlier = *found;
    --earlier.started;
    EXPECT_FALSE(processes.terminate(earlier));
    EXPECT_TRUE(Running(pid));
    EXPECT_TRUE(processes.terminate(*found));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_FALSE(processes.terminate(*found));  // gone now
}

// A module listed, then ended by someone else, and its number taken by an unrelated process
// before the request: the request ends nothing.
TEST(PosixProcesses, ANumberTakenByALaterProcessIsNotEnded) {
    platform::posix::PosixProcesses processes;
    const pid_t module = StartSleep("LUNDAMI7.EXE");
    ASSERT_GT(module, 0);
    const std::optional<ProcessEntry> listed = Listed(processes, module);
    ASSERT_TRUE(listed);
    usleep(30000);  // start times count in hundredths of a second: the newcomer starts in a later one
    End(module);
    const pid_t newcomer = StartSleepAs(module, "vizinho");
    if (newcomer != module) GTEST_SKIP() << "this machine would not give the number to a new process (needs root)";
    EXPECT_FALSE(processes.terminate(*listed));
    EXPECT_TRUE(Running(newcomer));
    End(newcomer);
}

// A kernel without process descriptors: the start is still compared, right before the signal.
TEST(PosixProcesses, WithoutProcessDescriptorsOnlyTheListedProcessIsEnded) {
    if (!testing_support::CanAnswerSystemCalls()) GTEST_SKIP() << "this machine does not let a test filter system calls";
    const auto failed = testing_support::RunWithSystemCallAnswer(SYS_pidfd_open, ENOSYS, [] {
        platform::posix::PosixProcesses processes;
        const pid_t module = StartSleep("LUNDAMI7.EXE");
        std::optional<ProcessEntry> listed = module > 0 ? Listed(processes, module) : std::nullopt;
        if (!listed) return 4;
        ProcessEntry earlier = *listed;
        --earlier.started;
        const int wrongOneEnded = processes.terminate(earlier) || !Running(module) ? 1 : 0;
        const int listedKept = processes.terminate(*listed) ? 0 : 2;
        End(module);
        return wrongOneEnded | listedKept;
    });
    EXPECT_EQ(failed, 0) << "1: an earlier start was ended, 2: the listed process was not, 4: not listed";
}

// Short-lived children started and reaped in batches on another thread; each child's first
// argument is "CHURN<test's pid>_<n>", so a listed one tells which child it was (and another copy
// of this test, running at the same time on the machine, has children of other names).
class Churn {
public:
    Churn() : thread_([this] { loop(); }) {}
    ~Churn() {
        stop_ = true;
        thread_.join();
    }
    int reapedBelow() const { return reapedBelow_; }  // every child numbered below is gone
    static std::string Prefix() { return "CHURN" + std::to_string(getpid()) + "_"; }

private:
    void loop() {
        for (int next = 0; !stop_;) {
            std::vector<pid_t> batch;
            for (int i = 0; i < 16; ++i, ++next) {
                std::string name = Prefix() + std::to_string(next);
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
            if (entry.exeName.rfind(Churn::Prefix(), 0) != 0) continue;
            ++seen;
            ASSERT_GE(std::stoi(entry.exeName.substr(Churn::Prefix().size())), gone)
                << "listed after it was reaped, walk " << walks;
        }
    }
    RecordProperty("children", churn.reapedBelow());
    RecordProperty("walks", walks);
    RecordProperty("listed", seen);
}

}  // namespace

#endif  // _WIN32
