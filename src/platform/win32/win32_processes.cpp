#include "platform/win32/win32_processes.h"

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

#include <tlhelp32.h>

namespace platform::win32 {

std::vector<ProcessEntry> Win32Processes::snapshot(SnapshotKind kind) {
    std::vector<ProcessEntry> processes;
    const DWORD flags = kind == SnapshotKind::All ? TH32CS_SNAPALL : TH32CS_SNAPPROCESS;
    Handle list(CreateToolhelp32Snapshot(flags, 0));
    if (!list.valid()) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(list.get(), &entry); more; more = Process32NextW(list.get(), &entry))
        processes.push_back({fromWide(entry.szExeFile), entry.th32ProcessID});
    return processes;
}

bool Win32Processes::terminate(uint32_t pid) {
    Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process.valid() && TerminateProcess(process.get(), 0) != 0;
}

}  // namespace platform::win32
