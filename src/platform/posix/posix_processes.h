// The process list of a Linux workstation, read from /proc.
#pragma once

#include "platform/platform.h"

namespace platform::posix {

class PosixProcesses : public Processes {
public:
    // Every process in numeric pid order; the kind only matters on Windows.
    std::vector<ProcessEntry> snapshot(SnapshotKind kind) override;
    // SIGKILL; false when the process is gone or belongs to someone we may not signal.
    bool terminate(uint32_t pid) override;
};

// The executable name a process shows: the last component (after "/" or "\") of its first
// command-line argument, else its kernel name. Exposed for the tests.
std::string exeNameFrom(const std::string& cmdline, const std::string& comm);

}  // namespace platform::posix
