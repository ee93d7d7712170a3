#include "platform/posix/file_info.h"

#include <unistd.h>

#include "platform/dos_time.h"
#include "platform/platform.h"
#include "platform/posix/paths.h"

namespace platform::posix {

bool isReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

uint32_t attributesOf(const std::string& name, const struct stat& linkStatus, const struct stat* target) {
    uint32_t bits = 0;
    if (S_ISLNK(linkStatus.st_mode)) bits |= attr::ReparsePoint;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") bits |= attr::Hidden;
    if (target) {
        if (S_ISDIR(target->st_mode)) bits |= attr::Directory;
        if (S_ISREG(target->st_mode)) bits |= attr::Archive;
        if (isReadOnly(*target)) bits |= attr::ReadOnly;
    }
    return bits == 0 ? attr::Normal : bits;
}

std::optional<uint32_t> attributesOfPath(const std::string& nativePath) {
    struct stat link, target;
    if (::lstat(nativePath.c_str(), &link) != 0) return std::nullopt;
    bool reachable = ::stat(nativePath.c_str(), &target) == 0;
    std::string name = nativeNameOf(nativePath);
    return attributesOf(name, link, reachable ? &target : nullptr);
}

namespace {
// The offset of local time from UTC now. Windows converts every file time with its current bias,
// whatever the instant's own: DOS times then keep the instants' order through the autumn hour
// that happens twice, and a time set from a DOS time reads back as the same DOS time.
std::optional<long> offsetFromUtcNow() {
    const time_t now = ::time(nullptr);
    struct tm local;
    if (!::localtime_r(&now, &local)) return std::nullopt;
    return local.tm_gmtoff;
}
}  // namespace

std::optional<uint32_t> dosTimeOf(time_t seconds) {
    const std::optional<long> offset = offsetFromUtcNow();
    time_t shifted;
    struct tm local;
    if (!offset || __builtin_add_overflow(seconds, *offset, &shifted) || !::gmtime_r(&shifted, &local))
        return std::nullopt;
    return packDosDateTime(LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                         local.tm_min, local.tm_sec});
}

std::optional<time_t> timeOfDos(uint32_t dosTime) {
    const std::optional<long> offset = offsetFromUtcNow();
    if (!offset) return std::nullopt;
    const LocalDateTime t = unpackDosDateTime(dosTime);
    struct tm local = {};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    const time_t seconds = ::timegm(&local);
    if (seconds == static_cast<time_t>(-1)) return std::nullopt;
    return seconds - *offset;
}

namespace {
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
}  // namespace

int64_t fileTimeOf(const struct timespec& t) {
    return (static_cast<int64_t>(t.tv_sec) + kSecondsFrom1601To1970) * kTicksPerSecond + t.tv_nsec / 100;
}

struct timespec timespecOf(int64_t fileTime) {
    int64_t seconds = fileTime / kTicksPerSecond, ticks = fileTime % kTicksPerSecond;
    if (ticks < 0) --seconds, ticks += kTicksPerSecond;  // round towards the past
    struct timespec t = {};
    t.tv_sec = static_cast<time_t>(seconds - kSecondsFrom1601To1970);
    t.tv_nsec = static_cast<long>(ticks * 100);
    return t;
}

FileStamp stampOf(const struct stat& st) {
    return {S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0, fileTimeOf(st.st_mtim)};
}

void Fd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

}  // namespace platform::posix
