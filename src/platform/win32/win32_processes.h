// The process list through the tool-help snapshot; ending a process with TerminateProcess.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

class Win32Processes : public Processes {
public:
    // Every process of the snapshot with its session (ProcessIdToSessionId); never raises.
    std::vector<ProcessEntry> snapshot(SnapshotKind kind) override;
    bool terminate(uint32_t pid) override;
    // The session this program runs in.
    std::optional<uint32_t> currentOwner() override;
};

}  // namespace platform::win32
