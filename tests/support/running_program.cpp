#include "support/running_program.h"

#include <filesystem>

#include "support/temp_dir.h"

#ifdef _WIN32
#include "platform/win32/win32_api.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace testing_support {

namespace fs = std::filesystem;

#ifdef _WIN32

bool RunningProgram::CopyProgram(const std::string& path) {
    wchar_t self[MAX_PATH];
    std::error_code error;
    return GetModuleFileNameW(nullptr, self, MAX_PATH) &&
           fs::copy_file(self, pathFromUtf8(path), fs::copy_options::overwrite_existing, error);
}

RunningProgram::RunningProgram(const std::string& path, Start start) {
    if (start == CopyFirst && !CopyProgram(path)) return;
    const fs::path program = pathFromUtf8(path);
    std::wstring command = L"\"" + program.wstring() + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &child))
        return;
    CloseHandle(child.hThread);
    process_ = child.hProcess;
    pid_ = child.dwProcessId;
}

RunningProgram::~RunningProgram() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
}

bool RunningProgram::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

#else

bool RunningProgram::CopyProgram(const std::string& path) {
    std::error_code error;
    if (!fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing, error)) return false;
    fs::permissions(path, fs::perms::owner_all, error);
    return !error;
}

RunningProgram::RunningProgram(const std::string& path, Start start) {
    if (start == CopyFirst && !CopyProgram(path)) return;
    std::string program = path, seconds = "60";
    char* argv[] = {program.data(), seconds.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0) pid_ = static_cast<uint32_t>(pid);
}

RunningProgram::~RunningProgram() {
    if (!pid_) return;
    kill(static_cast<pid_t>(pid_), SIGKILL);
    waitpid(static_cast<pid_t>(pid_), nullptr, 0);
}

bool RunningProgram::running() const {
    return pid_ && waitpid(static_cast<pid_t>(pid_), nullptr, WNOHANG) == 0;
}

#endif

}  // namespace testing_support
