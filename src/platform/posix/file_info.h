// What Windows would report about a Linux file: its attribute bits and its DOS time.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace platform::posix {

// Attributes of the entry `name` whose link status is `linkStatus`; `target` is the status of
// what it points to (none for a dangling link).
uint32_t attributesOf(const std::string& name, const struct stat& linkStatus, const struct stat* target);

// Attributes of a native path (links followed, the link bit added); none when it does not exist.
std::optional<uint32_t> attributesOfPath(const std::string& nativePath);

bool isReadOnly(const struct stat& st);

// The permission bits a copy takes from its source: never setuid, setgid or sticky, which would
// let whoever can write on the share install a program that runs with the rights of this run.
inline constexpr mode_t kCopiedPermissions = 0777;

// Local time of `seconds` in packed DOS form, with the offset local time has now (as Windows
// converts); none outside 1980..2107.
std::optional<uint32_t> dosTimeOf(time_t seconds);
// The time_t of a packed DOS local time, with the same offset; none when it cannot be converted.
std::optional<time_t> timeOfDos(uint32_t dosTime);

// Windows file times (100-ns steps since 1601, UTC) of a POSIX time and back.
int64_t fileTimeOf(const struct timespec& t);
struct timespec timespecOf(int64_t fileTime);
// Size and last-write time of what `st` describes.
FileStamp stampOf(const struct stat& st);

// An owned file descriptor, closed on every path.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_;
};

}  // namespace platform::posix
