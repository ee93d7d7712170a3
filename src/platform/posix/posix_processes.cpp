#include "platform/posix/posix_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>

#include "platform/posix/file_info.h"
#include "platform/text.h"

namespace platform::posix {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// What can be read of a /proc file. A process that ends while it is read gives a read error
// (ESRCH), which the standard streams would raise: the text read so far serves.
std::string readWhole(const std::string& path) {
    std::string text;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[4096];
    for (ssize_t got; fd && (got = ::read(fd.get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    return text;
}

std::optional<uint32_t> pidOf(const char* name) {
    if (!*name) return std::nullopt;
    uint64_t pid = 0;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9' || pid > INT_MAX) return std::nullopt;
        pid = pid * 10 + static_cast<uint64_t>(*c - '0');
    }
    return pid > 0 && pid <= INT_MAX ? std::optional<uint32_t>(static_cast<uint32_t>(pid)) : std::nullopt;
}

std::vector<uint32_t> runningPids() {
    std::vector<uint32_t> pids;
    std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
    if (!proc) return pids;
    while (dirent* entry = ::readdir(proc.get()))
        if (auto pid = pidOf(entry->d_name)) pids.push_back(*pid);
    std::sort(pids.begin(), pids.end());
    return pids;
}

}  // namespace

std::string exeNameFrom(const std::string& cmdline, const std::string& comm) {
    std::string first = cmdline.substr(0, cmdline.find('\0'));
    // A Windows program under a compatibility layer shows its Windows path here.
    std::string name = fileNamePart(first);
    if (!name.empty()) return name;
    std::string kernelName = comm.substr(0, comm.find('\n'));
    return kernelName;
}

std::vector<ProcessEntry> PosixProcesses::snapshot(SnapshotKind) {
    std::vector<ProcessEntry> entries;
    for (uint32_t pid : runningPids()) {
        std::string base = "/proc/" + std::to_string(pid);
        std::string comm = readWhole(base + "/comm");
        if (comm.empty()) continue;  // ended while we looked
        entries.push_back(ProcessEntry{exeNameFrom(readWhole(base + "/cmdline"), comm), pid});
    }
    return entries;
}

bool PosixProcesses::terminate(uint32_t pid) {
    // 0 and values above INT_MAX would address process groups or every process.
    if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX)) return false;
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

}  // namespace platform::posix
