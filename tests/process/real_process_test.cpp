// Module processes against the machine's own process table: programs run under a module's name
// and under another name; only the module is found and ended.
//   Linux: copies of sleep, ended by SIGKILL.
//   Windows: copies of this test program, started suspended (listed like any program, they run
//   no line of their own), ended by TerminateProcess with exit code 0.
#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/win32/win32_api.h"
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "process/modules.h"
#include "support/temp_dir.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace {

// A rarely used module name, so that no other program on the machine is taken for ours.
constexpr const char* kModule = "WELMONTARA7.EXE";
constexpr const char* kBystander = "BYSTANDER.EXE";

#ifdef _WIN32

// A started child: its process and thread handles, closed (and the child ended) at the end.
struct Child {
    PROCESS_INFORMATION info{};
    ~Child() {
        if (!info.hProcess) return;
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
};

class RealProcesses : public ::testing::Test {
protected:
    // Starts a suspended copy of this program named `name`; returns its process id, 0 on failure.
    uint32_t spawnAs(const std::string& name) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const fs::path copy = dir_ / name;
        fs::copy_file(self, copy, fs::copy_options::overwrite_existing);
        std::wstring command = L"\"" + copy.wstring() + L"\" --gtest_list_tests";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        auto child = std::make_unique<Child>();
        if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                            nullptr, &startup, &child->info))
            return 0;
        const uint32_t pid = child->info.dwProcessId;
        children_.push_back(std::move(child));
        return pid;
    }

    Child* childOf(uint32_t pid) {
        for (auto& child : children_)
            if (child->info.dwProcessId == pid) return child.get();
        return nullptr;
    }

    // Ended the way the updater ends a module: at once, with exit code 0.
    bool reapedAfterKill(uint32_t pid) {
        Child* child = childOf(pid);
        if (!child || WaitForSingleObject(child->info.hProcess, 10000) != WAIT_OBJECT_0) return false;
        DWORD code = 1234;
        return GetExitCodeProcess(child->info.hProcess, &code) && code == 0;
    }

    bool stillRunning(uint32_t pid) {
        Child* child = childOf(pid);
        return child && WaitForSingleObject(child->info.hProcess, 0) == WAIT_TIMEOUT;
    }

    testing_support::TempDir dir_;
    std::vector<std::unique_ptr<Child>> children_;
};

#else

class RealProcesses : public ::testing::Test {
protected:
    void TearDown() override {
        for (pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts a copy of sleep named `name`; its first argument is its full path, as a shell gives it.
    uint32_t spawnAs(const std::string& name) {
        fs::path copy = dir_ / name;
        fs::copy_file("/bin/sleep", copy, fs::copy_options::overwrite_existing);
        fs::permissions(copy, fs::perms::owner_all);
        std::string path = copy.string(), seconds = "60";
        char* argv[] = {path.data(), seconds.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return 0;
        children_.push_back(pid);
        return static_cast<uint32_t>(pid);
    }

    // Reaps a child that has been ended; false when it is still running after the wait.
    bool reapedAfterKill(uint32_t id) {
        const pid_t pid = static_cast<pid_t>(id);
        int status = 0;
        if (waitpid(pid, &status, 0) != pid) return false;
        std::erase(children_, pid);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    bool stillRunning(uint32_t pid) { return waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) == 0; }

    testing_support::TempDir dir_;
    std::vector<pid_t> children_;
};

#endif

// Named mode until the table lists the new process: it needs a moment to start.
uintptr_t waitUntilListed(platform::Processes& table, const std::string& name) {
    for (int i = 0; i < 200; ++i) {
        uintptr_t handel = 0;
        bool servidor = false;
        if (!process::VerModuloAberto(table, name, handel, servidor).empty()) return handel;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

}  // namespace

TEST_F(RealProcesses, FindsAndEndsAModuleAndLeavesOtherProcesses) {
    std::shared_ptr<platform::Processes> table = platform::makeNativePlatform().processes;
    ASSERT_TRUE(table);
    const uint32_t module = spawnAs(kModule);
    const uint32_t bystander = spawnAs(kBystander);
    ASSERT_GT(module, 0u);
    ASSERT_GT(bystander, 0u);

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
