#include "platform/win32/win32_processes.h"

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

#include <tlhelp32.h>

namespace platform::win32 {

namespace {

// The session a process runs in; none when the system will not tell (the idle process, or a
// protected one).
std::optional<uint32_t> sessionOf(DWORD pid) {
    DWORD session = 0;
    if (!ProcessIdToSessionId(pid, &session)) return std::nullopt;
    return static_cast<uint32_t>(session);
}

}  // namespace

std::vector<ProcessEntry> Win32Processes::snapshot(SnapshotKind kind) {
    std::vector<ProcessEntry> processes;
    try {
        const DWORD flags = kind == SnapshotKind::All ? TH32CS_SNAPALL : TH32CS_SNAPPROCESS;
        Handle list(CreateToolhelp32Snapshot(flags, 0));
        if (!list.valid()) return processes;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(list.get(), &entry); more; more = Process32NextW(list.get(), &entry))
            processes.push_back({fromWide(entry.szExeFile), entry.th32ProcessID, sessionOf(entry.th32ProcessID)});
    } catch (...) {
        return {};  // no memory for the list: a list that cannot be had is empty
    }
    return processes;
}

bool Win32Processes::terminate(uint32_t pid) {
    Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process.valid() && TerminateProcess(process.get(), 0) != 0;
}

std::optional<uint32_t> Win32Processes::currentOwner() { return sessionOf(GetCurrentProcessId()); }

}  // namespace platform::win32
