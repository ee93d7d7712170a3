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

// When the process of this handle was created, in file-time steps; 0 when the system will not tell.
uint64_t creationOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

uint64_t creationOf(DWORD pid) {
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return process.valid() ? creationOf(process.get()) : 0;
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
            processes.push_back({fromWide(entry.szExeFile), entry.th32ProcessID, sessionOf(entry.th32ProcessID),
                                 creationOf(entry.th32ProcessID)});
    } catch (...) {
        return {};  // no memory for the list: a list that cannot be had is empty
    }
    return processes;
}

bool Win32Processes::terminate(const ProcessEntry& entry) {
    // The handle holds the process: once it shows the listed creation time, a later process
    // cannot have taken the number.
    const Handle process(OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.pid));
    return process.valid() && creationOf(process.get()) == entry.started && TerminateProcess(process.get(), 0) != 0;
}

std::optional<uint32_t> Win32Processes::currentOwner() { return sessionOf(GetCurrentProcessId()); }

std::optional<ProcessEntry> Win32Processes::current() {
    for (const ProcessEntry& entry : snapshot(SnapshotKind::ProcessesOnly))
        if (entry.pid == GetCurrentProcessId()) return entry;
    return std::nullopt;
}

}  // namespace platform::win32
