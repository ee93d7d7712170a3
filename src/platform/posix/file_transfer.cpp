#include "platform/posix/file_transfer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/posix/file_info.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_file.h"
#include "platform/temporary_names.h"

namespace platform::posix {

namespace {

bool sameEntry(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The temporary beside the target, of the form every copy uses, locked while it is written so
// that another run's clean-up leaves it alone; removed unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) {
        constexpr int kNameAttempts = 8;  // eight random hex digits rarely meet an existing name
        for (int attempt = 0; attempt < kNameAttempts && !fd_; ++attempt) {
            std::string candidate = TemporaryNameFor(target, RandomTemporaryTag());
            Fd fd(::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (!fd && errno != EEXIST) return;
            if (!fd || !lockAsWriter(fd.get(), candidate)) continue;
            fd_.reset(fd.release());
            path_ = std::move(candidate);
        }
    }
    ~TemporaryFile() {
        if (!committed_ && !path_.empty()) ::unlink(path_.c_str());  // before the lock goes
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool valid() const { return static_cast<bool>(fd_); }
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    void commit() { committed_ = true; }

private:
    Fd fd_;
    std::string path_;
    bool committed_ = false;
};

bool writeAll(int fd, const char* data, ssize_t count) {
    while (count > 0) {
        ssize_t put = ::write(fd, data, static_cast<size_t>(count));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        count -= put;
    }
    return true;
}

bool copyByReading(int from, int to, uint64_t& copied) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(kCopyReadBytes);
    for (;;) {
        ssize_t got = ::read(from, buffer.get(), kCopyReadBytes);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!writeAll(to, buffer.get(), got)) return false;
        copied += static_cast<uint64_t>(got);
    }
}

// The kernel copies in place where it can; the rest goes through the read/write loop.
bool copyContents(int from, int to, uint64_t& copied) {
    while (const std::optional<size_t> moved = kernelCopyStep(from, to, size_t{1} << 30)) copied += *moved;
    return copyByReading(from, to, copied);
}

// The source was read as one version: unchanged in size and time since it was opened, and read whole.
bool oneVersionRead(int source, const struct stat& opened, uint64_t copied) {
    struct stat now;
    return ::fstat(source, &now) == 0 && stampOf(now) == stampOf(opened) && copied == stampOf(opened).size;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    // File systems without the no-replace flag: a hard link fails just as safely on a target.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    if (::unlink(from.c_str()) == 0) return true;
    ::unlink(to.c_str());
    return false;
}

bool targetRefused(const std::string& to, bool failIfExists) {
    struct stat st;
    if (::stat(to.c_str(), &st) != 0) return false;
    return failIfExists || S_ISDIR(st.st_mode) || isReadOnly(st);
}

// Across file systems a move is a safe copy followed by the removal of the source; when the
// source cannot be removed the copy is taken back, so that nothing changed.
bool moveByCopying(const std::string& from, const std::string& to, bool replace) {
    struct stat st;
    if (::stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (!copyFileSafely(from, to, !replace)) return false;
    if (::unlink(from.c_str()) == 0) return true;
    if (!replace) ::unlink(to.c_str());
    return false;
}

}  // namespace

bool copyFileSafely(const std::string& from, const std::string& to, bool failIfExists) {
    struct stat src, dst;
    Fd source = openRegular(from, src);
    if (!source) return false;
    if (::stat(to.c_str(), &dst) == 0 && sameEntry(src, dst)) return false;  // a file onto itself
    if (targetRefused(to, failIfExists)) return false;

    TemporaryFile temp(to);
    uint64_t copied = 0;
    if (!temp.valid() || !copyContents(source.get(), temp.fd(), copied)) return false;
    if (!oneVersionRead(source.get(), src, copied)) return false;  // rewritten meanwhile: a mixture
    struct timespec times[2] = {src.st_atim, src.st_mtim};
    if (::fchmod(temp.fd(), src.st_mode & kCopiedPermissions) != 0 || ::futimens(temp.fd(), times) != 0) return false;
    if (::fdatasync(temp.fd()) != 0) return false;

    bool placed = failIfExists ? renameNoReplace(temp.path(), to) : ::rename(temp.path().c_str(), to.c_str()) == 0;
    if (placed) temp.commit();
    return placed;
}

bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    struct stat src, dst;
    if (::lstat(from.c_str(), &src) != 0) return false;
    if (::lstat(to.c_str(), &dst) == 0 && !sameEntry(src, dst)) return false;
    if (from == to) return true;
    if (renameNoReplace(from, to)) return true;
    return errno == EXDEV && moveByCopying(from, to, false);
}

bool moveReplacing(const std::string& from, const std::string& to) {
    struct stat src;
    if (::lstat(from.c_str(), &src) != 0) return false;
    if (targetRefused(to, false)) return false;
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    return errno == EXDEV && moveByCopying(from, to, true);
}

}  // namespace platform::posix
