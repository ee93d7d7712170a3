// Runs a real program under ptrace and stops it at a chosen one of the system calls that change
// files (a write into a file, a new file or folder, a time, a mode, a flush, a link, a rename, a
// removal), counted from the
// start in the order the program makes them. At that stop a test can kill the program (SIGKILL,
// as a power cut would end it) or change files under it and let it go on. Linux on x86-64 only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// One counted system call: its name, and the path of a file it creates ("" for others).
struct FileCall {
    std::string name;
    std::string created;
};

// A moment of the run: the counted call with that index (0-based), before it runs or after.
struct CallMoment {
    size_t index = 0;
    bool after = false;
};

struct TracedRun {
    std::vector<FileCall> calls;     // the counted calls that the program reached
    std::optional<int> exitStatus;   // none when killed (or when it did not exit normally)
};

// Whether this machine lets a test trace its child (Linux on x86-64 without a ptrace ban).
bool CanTraceSystemCalls();

// Runs program in folder with the arguments, standard output and error going to /dev/null. At each
// moment in `stops` (in order of the run) `atStop` is called; it answers true to kill the program
// there. Killed after timeoutSeconds in any case.
TracedRun RunTraced(const std::string& program, const std::string& folder, const std::vector<CallMoment>& stops,
                    const std::function<bool(const CallMoment&)>& atStop, double timeoutSeconds = 20,
                    const std::vector<std::string>& arguments = {});

}  // namespace testing_support
