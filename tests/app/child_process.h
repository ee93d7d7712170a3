// Starts a program and waits for it with a deadline, for tests of the real executable.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testing_app {

struct ChildResult {
    std::optional<int> exitStatus;  // none when it had to be killed or did not exit normally
    double seconds = 0;
};

// Runs program with the arguments in folder; kills it after timeoutSeconds. When stdoutFile is
// given (an absolute path), the program's standard output goes there (POSIX only).
ChildResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder, double timeoutSeconds, const std::string& stdoutFile = {});

}  // namespace testing_app
