#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/file_info.h"
#include "platform/posix/file_transfer.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_file.h"
#include "platform/wildcard.h"
#include "platform/text.h"

namespace platform::posix {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entry `name` of the open folder `dirFd`, as the Windows search reports it.
std::optional<DirEntry> describeEntry(int dirFd, const std::string& name) {
    struct stat link, target;
    if (::fstatat(dirFd, name.c_str(), &link, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    // Only a link has a target of its own to look at: one call per entry for everything else.
    const bool reachable = !S_ISLNK(link.st_mode) || ::fstatat(dirFd, name.c_str(), &target, 0) == 0;
    if (!S_ISLNK(link.st_mode)) target = link;
    const struct stat& timed = reachable ? target : link;
    DirEntry entry;
    entry.name = name;
    entry.attributes = attributesOf(name, link, reachable ? &target : nullptr);
    entry.size = S_ISREG(timed.st_mode) ? static_cast<uint64_t>(timed.st_size) : 0;
    entry.dosTime = dosTimeOf(timed.st_mtime);
    if (reachable) entry.lastWrite = posix::stampOf(timed).lastWrite;
    return entry;
}

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

// The names of a folder that match, packed one after another with a NUL after each; none when
// the folder cannot be read to its end (its missing names would pass for files it lacks).
std::optional<std::string> matchingNames(DIR* dir, const std::string& namePattern) {
    std::string names;
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(dir);
        if (!item) return errno == 0 ? std::optional(std::move(names)) : std::nullopt;
        const std::string_view name = item->d_name;
        if (name == "." || name == ".." || !matchesPattern(namePattern, name)) continue;
        names.append(name).push_back('\0');
    }
}

std::optional<std::vector<DirEntry>> listMatching(const std::string& folder, const std::string& namePattern) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    // Names first, then each entry looked at: the entries fill a list of the exact size, so a large
    // folder costs its entries once, not the spare room of a growing list as well.
    const std::optional<std::string> names = matchingNames(dir.get(), namePattern);
    if (!names) return std::nullopt;
    std::vector<DirEntry> found;
    found.reserve(static_cast<size_t>(std::count(names->begin(), names->end(), '\0')));
    for (size_t start = 0; start < names->size();) {
        const size_t end = names->find('\0', start);
        const std::string name = names->substr(start, end - start);
        start = end + 1;
        if (auto entry = describeEntry(::dirfd(dir.get()), name)) found.push_back(std::move(*entry));
        // Gone meanwhile is fine; an entry that cannot be looked at (a share that stopped answering) is not.
        else if (errno != ENOENT) return std::nullopt;
    }
    // Folder order on Linux is hash order: report names sorted as an NTFS folder lists them.
    std::sort(found.begin(), found.end(), [](const DirEntry& a, const DirEntry& b) { return folderOrder(a.name, b.name); });
    return found;
}

std::vector<DirEntry> searchFolder(const std::string& folder, const std::string& namePattern) {
    return listMatching(folder, namePattern).value_or(std::vector<DirEntry>{});
}

std::optional<struct stat> statusOf(const std::string& path) {
    struct stat st;
    // One call where the path leads somewhere as written, as nearly every path does.
    if (::stat(toNativeSeparators(path).c_str(), &st) == 0) return st;
    if (::stat(resolvePath(path).c_str(), &st) != 0) return std::nullopt;
    return st;
}

// The nearest existing folder of a native path: the path itself, or the closest folder above it.
std::optional<std::string> nearestFolder(std::string native) {
    for (;;) {
        struct stat st;
        if (::stat(native.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? native : nativeFolderOf(native);
        if ((errno != ENOENT && errno != ENOTDIR) || native == "/" || native == ".") return std::nullopt;
        native = nativeFolderOf(native);
    }
}

// Where a move should put the file: a change of letter case only keeps the name as written.
std::string moveTarget(const std::string& resolvedFrom, const std::string& to) {
    std::string resolvedTo = resolvePath(to);
    struct stat a, b;
    if (::lstat(resolvedFrom.c_str(), &a) == 0 && ::lstat(resolvedTo.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
        a.st_ino == b.st_ino)
        return nativeFolderOf(resolvedTo) + "/" + nativeNameOf(toNativeSeparators(to));
    return resolvedTo;
}

}  // namespace

std::vector<DirEntry> PosixFileSystem::find(const std::string& pattern) {
    std::string native = toNativeSeparators(pattern);
    std::string namePattern = nativeNameOf(native);
    if (namePattern.empty() || isDotEntry(namePattern)) return {};
    size_t slash = native.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : resolvePath(native.substr(0, slash + 1));
    if (hasWildcards(namePattern)) return searchFolder(folder, namePattern);

    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return {};  // before the name is looked for: a missing folder is listed once, not twice
    std::string resolved = resolvePath(native);
    std::string name = nativeNameOf(resolved);
    std::optional<DirEntry> entry = describeEntry(::dirfd(dir.get()), name);
    if (!entry) return {};
    return {*entry};
}

std::optional<std::vector<DirEntry>> PosixFileSystem::listFolder(const std::string& folder) {
    std::string native = resolvePath(folder);
    return listMatching(native.empty() ? "." : native, "*");
}

std::optional<uint32_t> PosixFileSystem::attributes(const std::string& path) {
    return attributesOfPath(resolvePath(path));
}

bool PosixFileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    std::string native = resolvePath(path);
    struct stat st;
    if (::stat(native.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    // Only read-only has a place in Linux permissions; the other bits cannot be stored.
    if (attributes & attr::ReadOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (isReadOnly(st))
        mode |= S_IWUSR;
    return mode == (st.st_mode & 07777) || ::chmod(native.c_str(), mode) == 0;
}

bool PosixFileSystem::copyPermissions(const std::string& from, const std::string& to) {
    struct stat st;
    if (::stat(resolvePath(from).c_str(), &st) != 0) return false;
    // Read-only travels as an attribute of its own; the copy itself must stay writable.
    return ::chmod(resolvePath(to).c_str(), (st.st_mode & kCopiedPermissions) | S_IWUSR) == 0;
}

bool PosixFileSystem::fileExists(const std::string& path) {
    auto st = statusOf(path);
    return st && !S_ISDIR(st->st_mode);
}

bool PosixFileSystem::dirExists(const std::string& path) {
    auto st = statusOf(path);
    return st && S_ISDIR(st->st_mode);
}

std::optional<uint32_t> PosixFileSystem::lastWriteDos(const std::string& path) {
    auto st = statusOf(path);
    if (!st) return std::nullopt;
    return dosTimeOf(st->st_mtime);
}

std::optional<FileStamp> PosixFileSystem::stampOf(const std::string& path) {
    auto st = statusOf(path);
    if (!st) return std::nullopt;
    return posix::stampOf(*st);
}

std::optional<FileIdentity> PosixFileSystem::folderIdentity(const std::string& path) {
    std::string native = resolvePath(path);
    Fd folder(::open(native.empty() ? "." : native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!folder || ::fstat(folder.get(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::optional<uint64_t> PosixFileSystem::fileSize(const std::string& path) {
    auto st = statusOf(path);
    if (!st) return std::nullopt;
    return S_ISREG(st->st_mode) ? static_cast<uint64_t>(st->st_size) : 0;
}

bool PosixFileSystem::createDirectory(const std::string& path) {
    return ::mkdir(resolvePath(path).c_str(), 0777) == 0;
}

bool PosixFileSystem::deleteFile(const std::string& path) {
    std::string native = resolvePath(path);
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    // A link is removed as the link it is; a read-only file stays, as on Windows.
    if (!S_ISLNK(st.st_mode) && isReadOnly(st)) return false;
    if (!S_ISREG(st.st_mode)) return ::unlink(native.c_str()) == 0;
    // A file that a program writes stays too, as Windows refuses a file open without delete sharing.
    const std::optional<Fd> lock = lockForRemoval(native);
    return lock && ::unlink(native.c_str()) == 0;
}

bool PosixFileSystem::moveFile(const std::string& from, const std::string& to) {
    std::string source = resolvePath(from);
    return moveWithoutReplacing(source, moveTarget(source, to));
}

bool PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
    return moveReplacing(resolvePath(from), resolvePath(to));
}

bool PosixFileSystem::linkFile(const std::string& existing, const std::string& link) {
    // The link itself, when `existing` is a symbolic one: the name keeps what it named.
    return ::link(resolvePath(existing).c_str(), resolvePath(link).c_str()) == 0;
}

bool PosixFileSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return copyFileSafely(resolvePath(from), resolvePath(to), failIfExists);
}

int64_t PosixFileSystem::freeSpace(const std::string& path) {
    std::string native = resolvePath(path);
    if (native.empty()) native = ".";
    std::optional<std::string> folder = nearestFolder(native);
    struct statvfs fs;
    if (!folder || ::statvfs(folder->c_str(), &fs) != 0) return -1;
    return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
}

std::unique_ptr<File> PosixFileSystem::openRead(const std::string& path) { return openForReading(resolvePath(path)); }

std::unique_ptr<File> PosixFileSystem::openReadDenyWrite(const std::string& path) {
    return openForReadingDenyWrite(resolvePath(path));
}

std::unique_ptr<File> PosixFileSystem::createExclusive(const std::string& path) {
    return createOrTruncate(resolvePath(path));
}

bool PosixFileSystem::appendToFile(const std::string& path, std::string_view bytes) {
    std::unique_ptr<File> file = openForAppending(resolvePath(path));
    return file && file->write(bytes.data(), static_cast<int64_t>(bytes.size())) == static_cast<int64_t>(bytes.size());
}

LockResult PosixFileSystem::lockExclusive(const std::string& path) { return lockFile(resolvePath(path)); }

}  // namespace platform::posix
