#include "child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace testing_app {

ChildResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder, double timeoutSeconds) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
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

}  // namespace testing_app
