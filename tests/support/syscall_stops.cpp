#include "support/syscall_stops.h"

#if defined(__linux__) && defined(__x86_64__)

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <vector>

extern char** environ;

namespace testing_support {

namespace {

// The calls that change files, and which argument holds the flags of an open (-1: none).
const std::map<long, std::string> kFileCalls = {
    {SYS_write, "write"},         {SYS_pwrite64, "pwrite64"},           {SYS_copy_file_range, "copy_file_range"},
    {SYS_ftruncate, "ftruncate"}, {SYS_fsync, "fsync"},                 {SYS_fdatasync, "fdatasync"},
    {SYS_utimensat, "utimensat"}, {SYS_fchmod, "fchmod"},               {SYS_chmod, "chmod"},
    {SYS_fchmodat, "fchmodat"},   {SYS_rename, "rename"},               {SYS_renameat, "renameat"},
    {SYS_renameat2, "renameat2"}, {SYS_link, "link"},                   {SYS_linkat, "linkat"},
    {SYS_open, "open"},           {SYS_openat, "openat"},               {SYS_creat, "creat"},
    {SYS_unlink, "unlink"},       {SYS_unlinkat, "unlinkat"},           {SYS_mkdir, "mkdir"},
    {SYS_mkdirat, "mkdirat"},
};

std::string readString(pid_t pid, unsigned long long address) {
    std::string text;
    for (;;) {
        errno = 0;
        const long word = ptrace(PTRACE_PEEKDATA, pid, address + text.size(), nullptr);
        if (errno != 0) return text;
        for (size_t i = 0; i < sizeof word; ++i) {
            const char c = static_cast<char>((word >> (8 * i)) & 0xFF);
            if (c == 0) return text;
            text += c;
        }
    }
}

// The counted call that the registers at a syscall-entry stop describe, if it is one.
std::optional<FileCall> fileCallOf(pid_t pid, const user_regs_struct& regs) {
    const auto known = kFileCalls.find(static_cast<long>(regs.orig_rax));
    if (known == kFileCalls.end()) return std::nullopt;
    const long nr = known->first;
    // Writes to the standard streams are the program's messages, not its files.
    if ((nr == SYS_write || nr == SYS_pwrite64) && regs.rdi <= 2) return std::nullopt;
    if (nr == SYS_open || nr == SYS_openat) {
        const unsigned long long flags = nr == SYS_open ? regs.rsi : regs.rdx;
        if (!(flags & O_CREAT)) return std::nullopt;
        return FileCall{known->second, readString(pid, nr == SYS_open ? regs.rdi : regs.rsi)};
    }
    if (nr == SYS_creat) return FileCall{known->second, readString(pid, regs.rdi)};
    return FileCall{known->second, ""};
}

// This process's environment with leak checking off: LeakSanitizer cannot work in a program under
// ptrace and would end a sanitizer build's program with status 1. Other builds ignore it.
std::vector<std::string> tracedEnvironment() {
    std::vector<std::string> variables;
    std::string asan = "ASAN_OPTIONS=";
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (text.starts_with(asan)) asan = text + ":";
        else variables.push_back(text);
    }
    variables.push_back(asan + "detect_leaks=0");
    return variables;
}

pid_t startTraced(const std::string& program, const std::string& folder, std::vector<std::string> arguments) {
    std::vector<std::string> variables = tracedEnvironment();
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(folder.c_str()) != 0) _exit(127);
    execve(program.c_str(), argv.data(), environment.data());
    _exit(127);
}

}  // namespace

bool CanTraceSystemCalls() {
    const pid_t pid = fork();
    if (pid == 0) {
        _exit(ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TracedRun RunTraced(const std::string& program, const std::string& folder, const std::vector<CallMoment>& stops,
                    const std::function<bool(const CallMoment&)>& atStop, double timeoutSeconds,
                    const std::vector<std::string>& arguments) {
    TracedRun run;
    const pid_t pid = startTraced(program, folder, arguments);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return run;  // stopped at its exec
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    size_t nextStop = 0;
    bool inCall = false, counted = false;
    int signal = 0;
    for (;;) {
        if (std::chrono::steady_clock::now() > deadline) break;
        ptrace(PTRACE_SYSCALL, pid, nullptr, signal);
        signal = 0;
        if (waitpid(pid, &status, 0) != pid) break;
        if (WIFEXITED(status)) {
            run.exitStatus = WEXITSTATUS(status);
            return run;
        }
        if (WIFSIGNALED(status)) return run;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);  // pass the program's own signals on
            continue;
        }
        inCall = !inCall;
        if (inCall) {
            user_regs_struct regs;
            ptrace(PTRACE_GETREGS, pid, nullptr, &regs);
            const std::optional<FileCall> call = fileCallOf(pid, regs);
            counted = call.has_value();
            if (counted) run.calls.push_back(*call);
        }
        if (!counted || nextStop >= stops.size()) continue;
        const CallMoment now{run.calls.size() - 1, !inCall};
        if (stops[nextStop].index != now.index || stops[nextStop].after != now.after) continue;
        ++nextStop;
        if (atStop(now)) break;
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return run;
}

}  // namespace testing_support

#else

namespace testing_support {

bool CanTraceSystemCalls() { return false; }

TracedRun RunTraced(const std::string&, const std::string&, const std::vector<CallMoment>&,
                    const std::function<bool(const CallMoment&)>&, double, const std::vector<std::string>&) {
    return {};
}

}  // namespace testing_support

#endif
