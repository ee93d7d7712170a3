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

std::optional<uint32_t> dosTimeOf(time_t seconds) {
    struct tm local;
    if (!::localtime_r(&seconds, &local)) return std::nullopt;
    return packDosDateTime(LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                         local.tm_min, local.tm_sec});
}

std::optional<time_t> timeOfDos(uint32_t dosTime) {
    LocalDateTime t = unpackDosDateTime(dosTime);
    struct tm local = {};
    local.tm_year = t.year - 1900;
    local.tm_mon = t.month - 1;
    local.tm_mday = t.day;
    local.tm_hour = t.hour;
    local.tm_min = t.minute;
    local.tm_sec = t.second;
    local.tm_isdst = -1;  // let the system decide whether summer time applied then
    time_t seconds = ::mktime(&local);
    if (seconds == static_cast<time_t>(-1)) return std::nullopt;
    return seconds;
}

void Fd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

}  // namespace platform::posix
