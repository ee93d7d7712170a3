#include "platform/posix/detached_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/posix/file_info.h"

namespace platform::posix {

namespace {

enum Stage : int { ForkStage, FolderStage, ExecStage };

struct Failure {
    int stage = 0;
    int error = 0;
};

// Only async-signal-safe calls from here on: the child of a fork may not allocate.
[[noreturn]] void failChild(int pipe, Stage stage) {
    Failure failure{stage, errno};
    ssize_t ignored = ::write(pipe, &failure, sizeof failure);
    (void)ignored;
    ::_exit(127);
}

void detachStreams() {
    int devnull = ::open("/dev/null", O_RDWR);
    if (devnull < 0) return;
    for (int stream = 0; stream < 3; ++stream) ::dup2(devnull, stream);
    if (devnull > 2) ::close(devnull);
}

void resetSignals() {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP) ::sigaction(signal, &byDefault, nullptr);
}

// The started program keeps nothing of ours open (a lock held through an inherited descriptor
// would outlive this program): everything above the standard streams but the report pipe goes.
void closeInherited(int pipe) {
    if (pipe > 3) ::close_range(3, static_cast<unsigned>(pipe) - 1, 0);
    ::close_range(static_cast<unsigned>(pipe) + 1, ~0U, 0);
}

[[noreturn]] void runGrandchild(int pipe, const char* program, char* const* argv, const char* folder) {
    closeInherited(pipe);
    detachStreams();
    resetSignals();
    if (*folder && ::chdir(folder) != 0) failChild(pipe, FolderStage);
    ::execv(program, argv);
    failChild(pipe, ExecStage);
}

intptr_t codeOf(const Failure& failure) {
    switch (failure.error) {
        case ENOENT:
        case ENOTDIR:
            return failure.stage == FolderStage ? 3 : 2;
        case EACCES:
        case EPERM:
            return 5;
        case ENOEXEC:
            return 11;
        case ENOMEM:
        case EAGAIN:
        case E2BIG:
            return 8;
        default:
            return 5;
    }
}

void reap(pid_t child) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// What the pipe said before the exec closed it: nothing means the program runs.
std::optional<Failure> readFailure(int pipe) {
    Failure failure;
    ssize_t got;
    do got = ::read(pipe, &failure, sizeof failure);
    while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof failure)) return failure;
    return std::nullopt;
}

}  // namespace

intptr_t spawnDetached(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return 8;
    Fd reader(ends[0]), writer(ends[1]);
    pid_t child = ::fork();
    if (child < 0) return 8;
    if (child == 0) {
        // The middle process only starts a new session and leaves: the program is then
        // adopted by init, so nobody has to wait for it.
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild < 0) failChild(writer.get(), ForkStage);
        if (grandchild > 0) ::_exit(0);
        runGrandchild(writer.get(), program.c_str(), argv.data(), folder.c_str());
    }
    writer.reset();
    reap(child);
    std::optional<Failure> failure = readFailure(reader.get());
    return failure ? codeOf(*failure) : kShellSuccess;
}

}  // namespace platform::posix
