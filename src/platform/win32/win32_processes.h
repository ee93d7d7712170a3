// The process list through the tool-help snapshot; ending a process with TerminateProcess.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

class Win32Processes : public Processes {
public:
    std::vector<ProcessEntry> snapshot(SnapshotKind kind) override;
    bool terminate(uint32_t pid) override;
};

}  // namespace platform::win32
