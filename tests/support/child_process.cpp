#include "support/child_process.h"

#ifdef _WIN32
#include <windows.h>

namespace testing_support {

ChildResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder, double timeoutSeconds, const ChildOutput&) {
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const DWORD start = GetTickCount();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return {};
    ChildResult result;
    const DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutSeconds * 1000));
    result.seconds = (GetTickCount() - start) / 1000.0;
    DWORD code = 0;
    if (waited == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code)) result.exitStatus = static_cast<int>(code);
    else TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

}  // namespace testing_support

#else

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace testing_support {

ChildResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder, double timeoutSeconds, const ChildOutput& output) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (!output.outputFile.empty())
        posix_spawn_file_actions_addopen(&actions, 1, output.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (output.errorsToo) posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return {};

    ChildResult result;
    int status = 0;
    for (;;) {
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        if (result.seconds > timeoutSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}

}  // namespace testing_support

#endif
