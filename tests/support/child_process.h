// Starts a program and waits for it with a deadline, for tests of the real executable.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct ChildResult {
    std::optional<int> exitStatus;  // none when it had to be killed or did not exit normally
    double seconds = 0;
};

// Where a child's output goes (POSIX only): outputFile is an absolute path; with errorsToo its
// standard error joins its standard output there, in the order written.
struct ChildOutput {
    std::string outputFile;
    bool errorsToo = false;
};

// Runs program with the arguments in folder; kills it after timeoutSeconds.
ChildResult RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder, double timeoutSeconds, const ChildOutput& output = {});

}  // namespace testing_support
