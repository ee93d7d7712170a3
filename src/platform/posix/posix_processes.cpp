#include "platform/posix/posix_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/text.h"

namespace platform::posix {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A descriptor closed on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// A file of a process's /proc folder, read through the folder's descriptor so that every file
// comes from the same process even if its number is reused meanwhile. Reading stops at the end,
// or after `stopAt` has been read. None when the process ended before or while it was read.
std::optional<std::string> readProcFile(int folder, const char* name, std::optional<char> stopAt = std::nullopt) {
    Descriptor file(::openat(folder, name, O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return text;
        text.append(buffer, static_cast<size_t>(got));
        if (stopAt && text.find(*stopAt) != std::string::npos) return text;
    }
}

// The value after "Key:" in /proc/<pid>/status, without the blanks that align it.
std::string statusField(std::string_view status, std::string_view key) {
    for (size_t at = 0; at < status.size();) {
        const size_t end = std::min(status.find('\n', at), status.size());
        const std::string_view line = status.substr(at, end - at);
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ':') {
            const std::string_view value = line.substr(key.size() + 1);
            return std::string(value.substr(std::min(value.find_first_not_of(" \t"), value.size())));
        }
        at = end + 1;
    }
    return std::string();
}

std::optional<uint64_t> wideNumberOf(const std::string& text) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0) return std::nullopt;
    return static_cast<uint64_t>(value);
}

std::optional<uint32_t> numberOf(const std::string& text) {
    const std::optional<uint64_t> value = wideNumberOf(text);
    if (!value || *value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(*value);
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

// One process as the list shows it; none when it has ended (or ends while it is looked at).
std::optional<ProcessEntry> describe(uint32_t pid) {
    Descriptor folder(::open(("/proc/" + std::to_string(pid)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return std::nullopt;
    // The command line before the state: a process that ends in between is then seen as ended.
    const std::optional<std::string> cmdline = readProcFile(folder.get(), "cmdline", '\0');
    const std::optional<std::string> status = readProcFile(folder.get(), "status");
    const std::optional<std::string> stat = readProcFile(folder.get(), "stat");
    const std::optional<uint64_t> started = stat ? startTimeOf(*stat) : std::nullopt;
    if (!cmdline || !status || !started || hasEnded(*status)) return std::nullopt;
    std::string name = exeNameFrom(*cmdline, "");
    if (name.empty()) {  // no command line (kernel threads): the kernel's name
        const std::optional<std::string> comm = readProcFile(folder.get(), "comm");
        if (!comm) return std::nullopt;
        name = exeNameFrom("", *comm);
    }
    return ProcessEntry{std::move(name), pid, realUserOf(*status), *started};
}

// When the process that has this number now started; none when no process has it.
std::optional<uint64_t> startOf(uint32_t pid) {
    Descriptor folder(::open(("/proc/" + std::to_string(pid)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const std::optional<std::string> stat = folder.valid() ? readProcFile(folder.get(), "stat") : std::nullopt;
    return stat ? startTimeOf(*stat) : std::nullopt;
}

// A descriptor of the process that has this number now (-1 with errno set when there is none,
// or when the kernel has no process descriptors: ENOSYS).
int openProcessDescriptor(uint32_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

bool signalThrough(int processDescriptor, int signal) {
#ifdef SYS_pidfd_send_signal
    return ::syscall(SYS_pidfd_send_signal, processDescriptor, signal, nullptr, 0) == 0;
#else
    (void)processDescriptor, (void)signal;
    return false;
#endif
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

bool hasEnded(const std::string& status) {
    const std::string state = statusField(status, "State");
    if (state.empty() || state[0] == 'X') return true;
    // A leader that ended before its other threads shows Z too: the process still runs.
    return state[0] == 'Z' && numberOf(statusField(status, "Threads")).value_or(0) <= 1;
}

std::optional<uint32_t> realUserOf(const std::string& status) {
    return numberOf(statusField(status, "Uid"));
}

std::optional<uint64_t> startTimeOf(const std::string& stat) {
    // The kernel's name comes in parentheses and may hold blanks and ")": fields follow the last ")".
    constexpr int kFirstField = 3, kStartField = 22;
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    int field = kFirstField;
    for (size_t at = stat.find_first_not_of(' ', nameEnd + 1); at != std::string::npos;
         at = stat.find_first_not_of(' ', at), ++field) {
        const size_t end = std::min(stat.find(' ', at), stat.size());
        if (field == kStartField) return wideNumberOf(stat.substr(at, end - at));
        at = end;
    }
    return std::nullopt;
}

std::vector<ProcessEntry> PosixProcesses::snapshot(SnapshotKind) {
    std::vector<ProcessEntry> entries;
    try {
        for (uint32_t pid : runningPids())
            if (std::optional<ProcessEntry> entry = describe(pid)) entries.push_back(std::move(*entry));
    } catch (...) {
        return {};  // no memory for the list: a list that cannot be had is empty
    }
    return entries;
}

bool PosixProcesses::terminate(const ProcessEntry& process) {
    const uint32_t pid = process.pid;
    // 0 and values above INT_MAX would address process groups or every process.
    if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX)) return false;
    // A descriptor first, then the proof that the process behind the number is the one listed:
    // a signal through the descriptor cannot reach a later process that takes the number.
    const Descriptor handle(openProcessDescriptor(pid));
    if (!handle.valid() && errno == ESRCH) return false;
    if (startOf(pid) != process.started) return false;
    if (handle.valid()) return signalThrough(handle.get(), SIGKILL);
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;  // no descriptors here: by number, just checked
}

std::optional<uint32_t> PosixProcesses::currentOwner() { return static_cast<uint32_t>(::getuid()); }

std::optional<ProcessEntry> PosixProcesses::current() {
    for (const ProcessEntry& entry : snapshot(SnapshotKind::ProcessesOnly))
        if (entry.pid == static_cast<uint32_t>(getpid())) return entry;
    return std::nullopt;
}

}  // namespace platform::posix
