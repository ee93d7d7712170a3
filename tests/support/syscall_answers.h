// Runs a piece of a test in a child process whose kernel answers one system call with a chosen
// error (or with 0, having done nothing), as file systems and old kernels answer it: the real
// call never runs there. Linux only (seccomp); the test's own process is left as it was.
#pragma once

#include <functional>
#include <optional>

namespace testing_support {

// Whether this machine lets a process filter its own system calls.
bool CanAnswerSystemCalls();

// Runs body in a child in which every call of system call `number` fails at once with `error`
// (0: returns 0). The child's exit status is what body returns; none when it did not exit by itself.
std::optional<int> RunWithSystemCallAnswer(long number, int error, const std::function<int()>& body);

}  // namespace testing_support
