// A real program running from a file that a test names: a copy of sleep on POSIX systems, a
// suspended copy of the test program itself on Windows (started, listed, but running no line of
// its own). Ended when the object goes.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

class RunningProgram {
public:
    enum Start { CopyFirst, AsItIs };
    // Copies the program to `path` (UTF-8), unless it is there already, and starts it from
    // there; see started().
    explicit RunningProgram(const std::string& path, Start start = CopyFirst);
    // Puts a copy of the program at `path`, ready to be started.
    static bool CopyProgram(const std::string& path);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return pid_ != 0; }
    uint32_t pid() const { return pid_; }
    bool running() const;

private:
    uint32_t pid_ = 0;
    void* process_ = nullptr;  // Windows: the process handle
};

}  // namespace testing_support
