#include "support/syscall_answers.h"

#if defined(__linux__) && (defined(__x86_64__) || defined(__aarch64__))

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace testing_support {

namespace {

#if defined(__x86_64__)
constexpr unsigned kArchitecture = AUDIT_ARCH_X86_64;
#else
constexpr unsigned kArchitecture = AUDIT_ARCH_AARCH64;
#endif

bool answerInThisProcess(long number, int error) {
    struct sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(number), 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog filter = {static_cast<unsigned short>(sizeof program / sizeof program[0]), program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

constexpr int kNoFilter = 125;

}  // namespace

bool CanAnswerSystemCalls() {
    static const bool can = RunWithSystemCallAnswer(-1, 0, [] { return 0; }) == 0;
    return can;
}

std::optional<int> RunWithSystemCallAnswer(long number, int error, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) _exit(answerInThisProcess(number, error) ? body() : kNoFilter);
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) == kNoFilter) return std::nullopt;
    return WEXITSTATUS(status);
}

}  // namespace testing_support

#else

namespace testing_support {

bool CanAnswerSystemCalls() { return false; }

std::optional<int> RunWithSystemCallAnswer(long, int, const std::function<int()>&) { return std::nullopt; }

}  // namespace testing_support

#endif
