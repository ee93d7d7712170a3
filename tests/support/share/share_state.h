// What the simulated share adds to the folder it passes through: a delay per request, a read
// bandwidth shared by every reader, request counters by kind, and the faults a test asks for.
// Thread-safe: the file system's worker threads and the control socket use one instance.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace share {

enum class Kind {
    Lookup, Forget, Getattr, Setattr, Readlink, Mkdir, Unlink, Rmdir, Rename, Open, Read, Write,
    Flush, Release, Fsync, Opendir, Readdir, Releasedir, Statfs, Create, Count
};
const char* NameOf(Kind kind);
std::optional<Kind> KindNamed(const std::string& name);

struct Settings {
    double delaySeconds = 0.0005;  // added to every request that gets an answer
    double readBitsPerSecond = 0;  // 0: reads are not capped
    double cacheSeconds = 1;       // entries, attributes and names found missing are kept so long
    // The client's read-ahead window: the Linux SMB client reads ahead twice its 4 MiB read size,
    // in requests of 1 MiB here (FUSE's largest). 0: the kernel's own for FUSE (128 KiB).
    unsigned readAheadKb = 8192;
    // Nothing read is kept by the client: every reader fetches its own bytes, as terminals on
    // separate machines do (one machine's readers would otherwise share its page cache).
    bool uncached = false;
};

// Which requests a fault concerns: a kind (or any), on a path (or any), relative to the share's
// root, "/" between folders, letter case ignored.
struct Match {
    std::optional<Kind> kind;
    std::string path;
    bool Matches(Kind requestKind, const std::string& requestPath) const;
};

class ShareState {
public:
    explicit ShareState(Settings settings) : settings_(settings) {}

    const Settings& settings() const { return settings_; }

    // Called first by every request that is answered. Counts it, lets a stall or the delay pass,
    // and gives the error to answer with instead of serving it (0: serve it).
    int Admit(Kind kind, const std::string& path);
    // Counts a request that has no answer (forget): no delay, no fault.
    void CountOnly(Kind kind) { counts_[static_cast<size_t>(kind)]++; }
    // The error for a read of `size` bytes at `offset` of `path`: EIO when it reaches past the
    // bytes a failing read of that file may give, else 0.
    int ReadFault(const std::string& path, uint64_t offset, uint64_t size);
    // Holds a read's answer until its bytes have passed the shared wire.
    void PassWire(uint64_t bytes);
    void CountWritten(uint64_t bytes) { writtenBytes_ += bytes; }

    // One control command (see share_control.h); the answer's lines, "ok", or "error: ...".
    std::string Command(const std::string& line);
    // Ends every stall at once: the share is going away.
    void Stop();
    bool stopping() const { return stopping_; }

private:
    struct Trigger {
        enum class Action { Down, Stall } action;
        Match match;
        int64_t skip = 0;  // matching requests let through before it fires
        double seconds = 0;
    };
    struct FailingRead {
        std::string path;
        uint64_t bytes = 0;
    };

    std::string Counters() const;
    void ResetCounters();
    std::string Arm(Trigger trigger);
    // The stall to serve for this request (fires and removes its trigger), or 0.
    double Fire(Kind kind, const std::string& path);
    void Sleep(double seconds);

    Settings settings_;
    std::array<std::atomic<int64_t>, static_cast<size_t>(Kind::Count)> counts_{};
    std::atomic<int64_t> readBytes_{0}, writtenBytes_{0};
    std::atomic<bool> down_{false}, stopping_{false};

    std::mutex mutex_;  // the faults and the wire
    std::condition_variable stopped_;
    std::vector<Trigger> triggers_;
    std::vector<FailingRead> failingReads_;
    std::chrono::steady_clock::time_point wireFree_{};
};

}  // namespace share
