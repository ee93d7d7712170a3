// The process list through the tool-help snapshot; ending a process with TerminateProcess.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

class Win32Processes : public Processes {
public:
    // Every process of the snapshot with its session (ProcessIdToSessionId) and its creation time
    // (0 when the system will not tell); never raises.
    std::vector<ProcessEntry> snapshot(SnapshotKind kind) override;
    // TerminateProcess through a handle whose process has shown the entry's creation time.
    bool terminate(const ProcessEntry& process) override;
    // The session this program runs in.
    std::optional<uint32_t> currentOwner() override;
    // This program's entry in the list.
    std::optional<ProcessEntry> current() override;
    // CreateProcessW with its output on a pipe; TerminateProcess of that handle on overrun.
    BoundedRun runBounded(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& folder, double seconds) override;
};

}  // namespace platform::win32
