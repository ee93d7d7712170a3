// The /proc process list and SIGKILL, with a real process running under a module's name.
// The POSIX backend only: the Win32 backend has its own tests (win32_*_test.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

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

TEST(PosixProcessNames, LastComponentOfFirstArgumentElseKernelName) {
    using namespace std::string_literals;
    EXPECT_EQ(exeNameFrom("C:\\QOR\\QOR7.EXE\0F\0"s, "QOR7.EXE\n"), "QOR7.EXE");
    EXPECT_EQ(exeNameFrom("/usr/bin/sleep\0" "30\0"s, "sleep\n"), "sleep");
    EXPECT_EQ(exeNameFrom("Z:\\terminal/dir\\SERVERQOR.EXE\0"s, "wine-preloader\n"), "SERVERQOR.EXE");
    EXPECT_EQ(exeNameFrom("", "kworker/0:1\n"), "kworker/0:1");
}

// Processes that end while the list is read (a started module that exits at once): a read error
// on their /proc files must give a shorter list, never an exception out of the platform layer.
TEST(PosixProcesses, ProcessesEndingDuringTheSnapshotNeverRaise) {
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        std::string program = "/bin/true";
        char* argv[] = {program.data(), nullptr};
        while (!stop) {
            pid_t pid = 0;
            if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0) waitpid(pid, nullptr, 0);
        }
    });
    platform::posix::PosixProcesses processes;
    for (int round = 0; round < 5000; ++round) EXPECT_NO_THROW(processes.snapshot(platform::SnapshotKind::All)) << round;
    stop = true;
    churn.join();
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

}  // namespace

#endif  // _WIN32
