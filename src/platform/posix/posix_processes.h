// The process list of a Linux workstation, read from /proc.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

class PosixProcesses : public Processes {
public:
    // Every live process in numeric pid order, its owner the real user id; never raises. A process
    // that ends while the list is made is left out. The kind only matters on Windows.
    std::vector<ProcessEntry> snapshot(SnapshotKind kind) override;
    // SIGKILL through a process descriptor (pidfd), once the process behind it has shown the
    // start time of the entry; false when it is gone or belongs to someone we may not signal.
    // Kernels without process descriptors are sent the signal by number, right after that check.
    bool terminate(const ProcessEntry& process) override;
    // The real user id of this program.
    std::optional<uint32_t> currentOwner() override;
    // This program's entry in the list.
    std::optional<ProcessEntry> current() override;
    // posix_spawn with its output on a pipe; SIGKILL to that child alone on overrun.
    BoundedRun runBounded(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder, double seconds) override;
};

// The executable name a process shows: the last component (after "/" or "\") of its first
// command-line argument, else its kernel name. Exposed for the tests.
std::string exeNameFrom(const std::string& cmdline, const std::string& comm);

// From the text of /proc/<pid>/status (exposed for the tests): whether the process has ended
// (state X, or a zombie that has no other thread left; Windows lists neither), and its real user.
bool hasEnded(const std::string& status);
std::optional<uint32_t> realUserOf(const std::string& status);
// From the text of /proc/<pid>/stat (exposed for the tests): when the process started.
std::optional<uint64_t> startTimeOf(const std::string& stat);

}  // namespace platform::posix
