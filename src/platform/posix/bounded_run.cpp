// A program run to its end with a deadline, its standard output read through a pipe.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "platform/posix/posix_processes.h"

extern char** environ;

namespace platform::posix {

namespace {

// Both ends closed on every path.
struct Pipe {
    int fds[2] = {-1, -1};
    bool open() { return ::pipe2(fds, O_CLOEXEC) == 0; }
    ~Pipe() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
    void closeWriteEnd() {
        ::close(fds[1]);
        fds[1] = -1;
    }
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

// What is waiting on the pipe now, without blocking; false at its end.
bool drain(int fd, std::string& output) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            if (output.size() < kBoundedRunOutput)
                output.append(buffer, std::min<size_t>(static_cast<size_t>(got), kBoundedRunOutput - output.size()));
            continue;
        }
        return got < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

}  // namespace

BoundedRun PosixProcesses::runBounded(const std::string& program, const std::vector<std::string>& arguments,
                                      const std::string& folder, double seconds) {
    BoundedRun run;
    Pipe pipe;
    if (!pipe.open()) return run;
    ::fcntl(pipe.fds[0], F_SETFL, O_NONBLOCK);
    SpawnActions spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, pipe.fds[1], 1);
    posix_spawn_file_actions_addopen(&spawn.actions, 2, "/dev/null", O_WRONLY, 0);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&spawn.actions, folder.c_str());
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &spawn.actions, nullptr, argv.data(), environ) != 0) return run;
    run.started = true;
    pipe.closeWriteEnd();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    for (;;) {
        const bool more = drain(pipe.fds[0], run.output);
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid) {
            drain(pipe.fds[0], run.output);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            // The child is not reaped yet, so its number still names it alone.
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            run.timedOut = true;
            return run;
        }
        pollfd watched{pipe.fds[0], POLLIN, 0};
        if (more) ::poll(&watched, 1, 20);
        else ::usleep(20 * 1000);
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

}  // namespace platform::posix
