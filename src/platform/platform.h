// The operating-system layer: everything the updater asks of the machine goes through these
// interfaces. Failures come back as results (false, empty, nullopt, -1), never as exceptions.
// Paths are UTF-8 text in Windows form; "\" and "/" are both separators.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Windows file attribute bits, reported the same way by every backend.
namespace attr {
inline constexpr uint32_t ReadOnly = 0x0001;
inline constexpr uint32_t Hidden = 0x0002;
inline constexpr uint32_t System = 0x0004;
inline constexpr uint32_t Directory = 0x0010;
inline constexpr uint32_t Archive = 0x0020;
inline constexpr uint32_t Normal = 0x0080;
inline constexpr uint32_t Temporary = 0x0100;
inline constexpr uint32_t Sparse = 0x0200;
inline constexpr uint32_t ReparsePoint = 0x0400;
inline constexpr uint32_t Compressed = 0x0800;
inline constexpr uint32_t Offline = 0x1000;
inline constexpr uint32_t NotIndexed = 0x2000;
inline constexpr uint32_t Encrypted = 0x4000;
}  // namespace attr

// One entry of a wildcard search, as the Windows search reports it.
struct DirEntry {
    std::string name;                 // as the folder spells it
    uint32_t attributes = 0;
    uint64_t size = 0;
    std::optional<uint32_t> dosTime;  // last write, local time, packed DOS form; none outside 1980..2107
    // Last write as the file system keeps it (see FileStamp); none when the entry leads nowhere
    // (a link whose target is gone).
    std::optional<int64_t> lastWrite;
    // A file as fileExists sees one: it leads somewhere, and not to a folder.
    bool isFile() const { return lastWrite && !(attributes & attr::Directory); }
};

// One version of a file: its size and its last-write time as the file system keeps it (UTC, in
// 100-ns steps since 1601, the Windows file time). Whoever rewrites the file changes one of them.
struct FileStamp {
    uint64_t size = 0;
    int64_t lastWrite = 0;
    bool operator==(const FileStamp&) const = default;
};

// Which folder a path leads to, whatever its spelling: letter case, separators and links give
// the same volume and file number.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// How many bytes a copy asks of its source at a time: one request as large as a share's client
// serves (1 to 8 MiB), so that the wire does not wait between small ones. Not larger: a read of
// 4 MiB left a Linux client with a small read-ahead idle while it was written (0.86 of cp + sync
// against 1.05, bench/share_bench.sh), and the buffer is memory the copy holds.
inline constexpr int64_t kCopyReadBytes = 1024 * 1024;

// How far one step of a copy between two open files got.
struct Transfer {
    int64_t read = 0;     // bytes taken from the source: 0 at its end, -1 when reading failed
    int64_t written = 0;  // of those, the bytes that reached the destination (fewer: writing failed)
};

// An open file. Closing happens in the destructor, on every path.
class File {
public:
    virtual ~File() = default;
    virtual int64_t read(void* buffer, int64_t count) = 0;  // bytes read, 0 at end, -1 on error
    // Bytes written: fewer than count when writing failed partway, -1 when nothing was written.
    virtual int64_t write(const void* buffer, int64_t count) = 0;
    virtual bool flush() = 0;  // data on the disk
    // Copies up to count bytes from this file's position to the destination's. `buffer` (count
    // bytes) carries them unless the system copies between the two files itself.
    virtual Transfer copyTo(File& destination, void* buffer, int64_t count);
    // Starts putting on the disk what was written so far and returns without waiting, so that
    // the flush that follows finds little left to do. Nothing where the system has no such call.
    virtual void startFlush() {}
    virtual std::optional<uint32_t> lastWriteDos() = 0;
    virtual bool setLastWriteDos(uint32_t dosTime) = 0;
    virtual std::optional<FileStamp> stamp() = 0;       // of the file this handle has open
    virtual bool setLastWrite(int64_t fileTime) = 0;    // exactly, for times the DOS form cannot hold
};

// Whether what was read through `file` since it was opened with `opened` is one whole version:
// the same size and time still, and every byte of it read.
bool ReadOneVersion(File& file, const FileStamp& opened, uint64_t bytesRead);

// A lock held on a file for as long as this object lives; released on every path.
class HeldLock {
public:
    virtual ~HeldLock() = default;
};

enum class LockOutcome {
    Taken,          // this program holds it now
    HeldByAnother,  // another program holds it
    Unavailable,    // no lock can be had there (the file cannot be created or opened)
};

struct LockResult {
    LockOutcome outcome = LockOutcome::Unavailable;
    std::unique_ptr<HeldLock> lock;  // while outcome is Taken
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Search with "*" and "?" in the last component, letter case ignored, entries of every kind,
    // never "." or "..". The search handle is closed before the call returns.
    virtual std::vector<DirEntry> find(const std::string& pattern) = 0;
    // Every entry of a folder (with its trailing separator), as find reports them; none when the
    // folder cannot be read (missing, no right to list, a share that stopped answering), which
    // find cannot tell from an empty folder.
    virtual std::optional<std::vector<DirEntry>> listFolder(const std::string& folder) {
        if (!dirExists(folder)) return std::nullopt;
        return find(folder + "*");
    }

    // Attributes of a path, following links; none when it does not exist.
    virtual std::optional<uint32_t> attributes(const std::string& path) = 0;
    virtual bool setAttributes(const std::string& path, uint32_t attributes) = 0;

    virtual bool fileExists(const std::string& path) = 0;  // a file, not a folder; links followed
    virtual bool dirExists(const std::string& path) = 0;   // a folder; links followed
    virtual std::optional<uint32_t> lastWriteDos(const std::string& path) = 0;
    virtual std::optional<uint64_t> fileSize(const std::string& path) = 0;
    virtual std::optional<FileStamp> stampOf(const std::string& path) = 0;  // links followed
    // The identity of a folder that can be listed; none when it cannot (missing, no right to list).
    virtual std::optional<FileIdentity> folderIdentity(const std::string& path) = 0;

    virtual bool createDirectory(const std::string& path) = 0;  // one level only
    // A read-only file is refused, and so is one that a program is writing (a file made by
    // createExclusive, while it is open).
    virtual bool deleteFile(const std::string& path) = 0;
    virtual bool moveFile(const std::string& from, const std::string& to) = 0;     // target must not exist
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;  // atomically over a target
    // False when an existing file certainly cannot be replaced now (Windows: a running program's
    // file, or one another program holds open without sharing), so that no copy is made for it.
    virtual bool canReplace(const std::string& path) {
        (void)path;
        return true;
    }
    // A second name for an existing file on the same volume (a hard link): no byte is copied, and
    // replacing either name later leaves the other one with the file. False when `link` exists or
    // the file system refuses (another volume, FAT, no room for the name, a file held open).
    virtual bool linkFile(const std::string& existing, const std::string& link) {
        (void)existing, (void)link;
        return false;
    }
    virtual bool copyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Gives `to` the access rights of `from` (the executable bit above all), keeping it writable.
    // Windows has nothing beyond the attributes to carry over.
    virtual bool copyPermissions(const std::string& from, const std::string& to) {
        (void)from, (void)to;
        return true;
    }

    // Bytes available to this user where a file at path would be written; -1 when unknown.
    virtual int64_t freeSpace(const std::string& path) = 0;

    // Others may read, rename and delete it. Windows refuses writers while it is open (and fails
    // while one has it open): a file being published is not read half new. POSIX has no such
    // locks; there the copy's one-version check sees a writer.
    virtual std::unique_ptr<File> openRead(const std::string& path) = 0;
    // Others may read but not write; fails while another program has the file open for writing.
    virtual std::unique_ptr<File> openReadDenyWrite(const std::string& path) = 0;
    // New or emptied, shared with nobody: while it is open no other program can delete it.
    virtual std::unique_ptr<File> createExclusive(const std::string& path) = 0;
    // Adds bytes at the end of a file, creating it when missing; a read-only file is refused as
    // Windows refuses it. False when not every byte was written.
    virtual bool appendToFile(const std::string& path, std::string_view bytes) {
        (void)path, (void)bytes;
        return false;
    }
    // An exclusive lock on `path` (created when missing, never emptied), not waiting for it, and
    // not passed on to the programs this one starts.
    virtual LockResult lockExclusive(const std::string& path) {
        (void)path;
        return {};
    }
};

struct ProcessEntry {
    std::string exeName;  // as the process list gives it (a bare name on current Windows)
    uint32_t pid = 0;
    // Whose it is: the Windows session, or the real user id on POSIX; none when it cannot be told.
    std::optional<uint32_t> owner;
    // When it started, in the platform's own count (Linux: clock ticks after boot): with the
    // number, which process this is, since a number that is free again goes to a later process.
    uint64_t started = 0;
};

enum class SnapshotKind { All, ProcessesOnly };

// How a program run to its end went: what it wrote on its standard output and its exit status.
struct BoundedRun {
    bool started = false;
    bool timedOut = false;         // it overran and was ended
    std::optional<int> exitCode;   // none when it did not end by itself with a status
    std::string output;            // its standard output, at most kBoundedRunOutput bytes
};
inline constexpr size_t kBoundedRunOutput = 256 * 1024;

class Processes {
public:
    virtual ~Processes() = default;
    // Every live process in the platform's order, whoever runs it; a process that has ended
    // (a zombie on POSIX) is not listed. Empty when no list can be had.
    virtual std::vector<ProcessEntry> snapshot(SnapshotKind kind) = 0;
    // Ends at once, with exit code 0, the process that the list showed as this entry, never a
    // later one that took its number; false when the request is refused or that process is gone.
    virtual bool terminate(const ProcessEntry& process) = 0;
    // The owner of this program's own process, in the terms of ProcessEntry::owner.
    virtual std::optional<uint32_t> currentOwner() = 0;
    // This program's own process as the list shows it (its number and start time); none when unknown.
    virtual std::optional<ProcessEntry> current() { return std::nullopt; }
    // Runs `program` with `arguments` in `folder`, no window, nothing on its standard input, and
    // waits for it at most `seconds`; a program that overruns is ended (that one, by its handle).
    virtual BoundedRun runBounded(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& folder, double seconds) {
        (void)program, (void)arguments, (void)folder, (void)seconds;
        return {};
    }
};

class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecute semantics: > 32 on success, else 2 not found, 3 no path, 5 denied, 31 no association.
    virtual intptr_t execute(void* ownerWindow, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showMode) = 0;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class System {
public:
    virtual ~System() = default;
    virtual std::string executablePath() = 0;     // full path of the running program
    virtual std::string currentDirectory() = 0;   // with its trailing separator
    virtual std::optional<Rect> workArea() = 0;   // the desktop less task bars; none when unknown
    // GetPrivateProfileString semantics; the default when the file, section or key is absent.
    virtual std::string profileString(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& defaultValue) = 0;
    // The user's thousands separator for whole numbers ("#,##0"); "." when a double has none.
    virtual std::string thousandsSeparator() { return "."; }
    // Text in the system's ANSI code page, as UTF-8. By default Windows-1252, the code page of a
    // Western Windows (defined with the text decoding).
    virtual std::string decodeAnsi(std::string_view bytes);
    // This machine's name on the network and the name of the user running the program, as UTF-8;
    // none when the system does not tell.
    virtual std::optional<std::string> machineName() { return std::nullopt; }
    virtual std::optional<std::string> userName() { return std::nullopt; }
};

// The machine as the updater sees it. Tests put doubles into any of the four parts.
struct Platform {
    std::shared_ptr<FileSystem> files;
    std::shared_ptr<Processes> processes;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<System> system;
};

// The real machine: POSIX on Linux, Win32 on Windows.
Platform makeNativePlatform();

// The program's command line as UTF-8 text, the program's own name first. POSIX systems give
// argv as it came; Windows reads its UTF-16 command line (argv there is in the ANSI code page).
std::vector<std::string> commandLineArguments(int argc, const char* const* argv);

// Writes text (UTF-8) for the person who started the program from a terminal: standard output,
// or on Windows, whose window programs have none, the console of the program that started it.
// False when there is nowhere to write it.
bool writeToConsole(std::string_view text);

}  // namespace platform

namespace platform {
// Show modes of the shell.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
}  // namespace platform
