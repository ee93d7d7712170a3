// The closing phase against the machine's own process table (POSIX): a zombie named like a
// module is no running module, and a module that another user runs is left alone.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "run_fixture.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

// The machine's process table, counting the closing phase's passes (one list-mode call each) and
// the termination requests per process. The checks look only at this test's own children.
class CountedProcesses : public platform::Processes {
public:
    std::vector<platform::ProcessEntry> snapshot(platform::SnapshotKind kind) override {
        if (kind == platform::SnapshotKind::All) ++passes;
        return inner_->snapshot(kind);
    }
    bool terminate(const platform::ProcessEntry& process) override {
        requests.push_back(process.pid);
        return inner_->terminate(process);
    }
    std::optional<uint32_t> currentOwner() override { return inner_->currentOwner(); }
    long RequestsFor(pid_t pid) const { return std::count(requests.begin(), requests.end(), uint32_t(pid)); }
    int passes = 0;
    std::vector<uint32_t> requests;

private:
    std::shared_ptr<platform::Processes> inner_ = platform::makeNativePlatform().processes;
};

class ClosingPhase : public app_test::RunTest {
protected:
    ClosingPhase() {
        WriteSettings();
        WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema Principal")});
        machine.processes = table;
    }
    ~ClosingPhase() override {
        for (pid_t pid : children) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // Starts `program` with `shownAs` as its first argument, as `user` when given; 0 on failure.
    pid_t Start(const std::string& program, const std::string& shownAs, std::optional<passwd> user = {}) {
        std::string first = shownAs, seconds = "60";
        char* argv[] = {first.data(), seconds.data(), nullptr};
        const pid_t pid = fork();
        if (pid == 0) {  // only system calls from here on
            if (user && (setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0))
                _exit(126);
            execv(program.c_str(), argv);
            _exit(127);
        }
        if (pid > 0) children.push_back(pid);
        return pid > 0 ? pid : 0;
    }
    // How a child of this test ended, without reaping it: 0 while it runs, the signal that killed
    // it, -1 otherwise.
    static int EndSignal(pid_t pid) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return -1;
        if (info.si_pid == 0) return 0;
        return info.si_code == CLD_KILLED ? info.si_status : -1;
    }
    std::optional<platform::ProcessEntry> Listed(pid_t pid) {
        for (const auto& entry : table->snapshot(platform::SnapshotKind::ProcessesOnly))
            if (entry.pid == uint32_t(pid)) return entry;
        return std::nullopt;
    }
    // Waits until a child has started its program (a moment after the fork); its entry then.
    std::optional<platform::ProcessEntry> ListedAs(pid_t pid, const std::string& name) {
        for (int i = 0; i < 300; ++i, usleep(10000))
            if (auto entry = Listed(pid); entry && entry->exeName == name) return entry;
        return std::nullopt;
    }

    std::shared_ptr<CountedProcesses> table = std::make_shared<CountedProcesses>();
    std::vector<pid_t> children;
};

TEST_F(ClosingPhase, AZombieModuleIsNotListedAndTheLiveModuleIsEndedAtOnce) {
    // A program named like a module that has ended and that nobody has waited for: its kernel name
    // is the module's (as a script's or an emulated program's is), its command line is gone.
    const std::string program = dir.folder() + "VIEWLOGQOR7.EXE";
    fs::copy_file("/bin/true", program);
    const pid_t zombie = Start(program, program);
    ASSERT_GT(zombie, 0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(zombie), &info, WEXITED | WNOWAIT), 0);  // ended, not reaped
    const pid_t live = Start("/bin/sleep", "WELMONTARA7.EXE");
    ASSERT_TRUE(ListedAs(live, "WELMONTARA7.EXE"));

    EXPECT_FALSE(Listed(zombie));
    RunUpdate();
    EXPECT_EQ(EndSignal(live), SIGKILL);
    // Once a zombie (this test never waits for it) it is found no more; it may be found again
    // while it dies, as a Windows process may be.
    EXPECT_EQ(table->RequestsFor(zombie), 0);
    EXPECT_LT(table->passes, 501) << "the phase ran to its limit";
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(ClosingPhase, AModuleOfAnotherUserSurvivesTheRunThatEndsTheSameModuleOfItsOwnUser) {
    if (geteuid() != 0) GTEST_SKIP() << "starting a process as another user needs root";
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "this machine has no user nobody";
    const pid_t colleague = Start("/bin/sleep", "WELMONTARA7.EXE", *nobody);
    const pid_t own = Start("/bin/sleep", "WELMONTARA7.EXE");
    const auto colleagues = ListedAs(colleague, "WELMONTARA7.EXE");
    ASSERT_TRUE(colleagues);
    EXPECT_EQ(colleagues->owner, nobody->pw_uid);
    ASSERT_TRUE(ListedAs(own, "WELMONTARA7.EXE"));

    RunUpdate();
    EXPECT_EQ(EndSignal(own), SIGKILL);
    EXPECT_EQ(EndSignal(colleague), 0);
    EXPECT_EQ(table->RequestsFor(colleague), 0);
    EXPECT_LT(table->passes, 501) << "the phase ran to its limit";
}

}  // namespace

#endif  // _WIN32
