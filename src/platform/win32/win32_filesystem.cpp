#include "platform/win32/win32_filesystem.h"

#include "platform/text.h"
#include "platform/win32/file_times.h"
#include "platform/win32/handles.h"
#include "platform/win32/safe_copy.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file.h"

#include <cctype>
#include <optional>
#include <utility>

namespace platform::win32 {

namespace {

bool isDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

DirEntry entryOf(const WIN32_FIND_DATAW& data) {
    DirEntry entry;
    entry.name = fromWide(data.cFileName);
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.dosTime = dosFromFileTime(data.ftLastWriteTime);
    entry.lastWrite = ticksOf(data.ftLastWriteTime);
    return entry;
}

std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributeData(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return data;
}

std::unique_ptr<File> openedFile(Handle handle) {
    if (!handle.valid()) return nullptr;
    return std::make_unique<Win32File>(std::move(handle));
}

std::unique_ptr<File> openHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                                 DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    Handle handle(CreateFileW(toWide(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
    if (!handle.valid()) return nullptr;
    return std::make_unique<Win32File>(std::move(handle));
}

// The volume and index of what a path leads to, with its attributes: two paths of one file or
// folder (other letter case, a short name, a link) give the same. Opened with `access`.
std::optional<std::pair<FileIdentity, DWORD>> identityOf(const std::string& path, DWORD access) {
    Handle handle(CreateFileW(toWide(path.empty() ? std::string(".") : path).c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    const FileIdentity identity{info.dwVolumeSerialNumber,
                                (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return std::make_pair(identity, info.dwFileAttributes);
}

}  // namespace

std::vector<DirEntry> Win32FileSystem::find(const std::string& pattern) {
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    FindHandle search(FindFirstFileW(toWide(pattern).c_str(), &data));
    if (!search.valid()) return entries;
    do {
        if (!isDotEntry(data.cFileName)) entries.push_back(entryOf(data));
    } while (FindNextFileW(search.get(), &data));
    return entries;
}

std::optional<std::vector<DirEntry>> Win32FileSystem::listFolder(const std::string& folder) {
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    FindHandle search(FindFirstFileW(toWide(folder + "*").c_str(), &data));
    if (!search.valid()) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;  // a drive's empty root
        return std::nullopt;
    }
    do {
        if (!isDotEntry(data.cFileName)) entries.push_back(entryOf(data));
    } while (FindNextFileW(search.get(), &data));
    // A search cut short by the share is no listing.
    if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
    return entries;
}

std::optional<uint32_t> Win32FileSystem::attributes(const std::string& path) {
    const DWORD found = GetFileAttributesW(toWide(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return found;
}

bool Win32FileSystem::setAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesW(toWide(path).c_str(), attributes) != 0;
}

bool Win32FileSystem::fileExists(const std::string& path) {
    const auto found = attributes(path);
    return found && !(*found & attr::Directory);
}

bool Win32FileSystem::dirExists(const std::string& path) {
    const auto found = attributes(path);
    return found && (*found & attr::Directory);
}

std::optional<uint32_t> Win32FileSystem::lastWriteDos(const std::string& path) {
    const auto data = attributeData(path);
    if (!data) return std::nullopt;
    return dosFromFileTime(data->ftLastWriteTime);
}

std::optional<uint64_t> Win32FileSystem::fileSize(const std::string& path) {
    const auto data = attributeData(path);
    if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return (static_cast<uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
}

std::optional<FileStamp> Win32FileSystem::stampOf(const std::string& path) {
    const auto data = attributeData(path);
    if (!data) return std::nullopt;
    const bool folder = data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    const uint64_t size = folder ? 0 : (static_cast<uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
    return FileStamp{size, ticksOf(data->ftLastWriteTime)};
}

std::optional<FileIdentity> Win32FileSystem::folderIdentity(const std::string& path) {
    // Opened for listing: a folder that cannot be listed has no identity to offer.
    const auto found = identityOf(path, FILE_LIST_DIRECTORY);
    if (!found || !(found->second & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return found->first;
}

bool Win32FileSystem::createDirectory(const std::string& path) {
    return CreateDirectoryW(toWide(path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    return DeleteFileW(toWide(path).c_str()) != 0;
}

bool Win32FileSystem::moveFile(const std::string& from, const std::string& to) {
    return MoveFileW(toWide(from).c_str(), toWide(to).c_str()) != 0;
}

bool Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool Win32FileSystem::canReplace(const std::string& path) {
    // The access a replace needs, every sharing granted: only a holder that denies it refuses.
    HANDLE file = CreateFileW(toWide(path).c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION && error != ERROR_ACCESS_DENIED;
}

bool Win32FileSystem::linkFile(const std::string& existing, const std::string& link) {
    return CreateHardLinkW(toWide(link).c_str(), toWide(existing).c_str(), nullptr) != 0;
}

bool Win32FileSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    // CopyFileW refuses to copy a file onto itself; our copy through a temporary would not notice.
    const auto source = identityOf(from, 0), target = identityOf(to, 0);
    if (source && target && source->first == target->first) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    }
    return copyThroughTemporary(toWide(from), toWide(to), failIfExists);
}

int64_t Win32FileSystem::freeSpace(const std::string& path) {
    const std::string root = volumeRootOf(path);
    const std::wstring wideRoot = toWide(root);
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(root.empty() ? nullptr : wideRoot.c_str(), &available, nullptr, nullptr))
        return -1;
    return static_cast<int64_t>(available.QuadPart);
}

bool Win32FileSystem::appendToFile(const std::string& path, std::string_view bytes) {
    // Append access alone: every write lands at the end, whoever else writes there.
    Handle handle(CreateFileW(toWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return handle.valid() && WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Read from start to end: the system reads further ahead (on a share, in larger requests).
std::unique_ptr<File> Win32FileSystem::openRead(const std::string& path) {
    // A file being published (open for writing) fails to open instead of being read half new.
    return openedFile(openFileForReading(toWide(path), FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_FLAG_SEQUENTIAL_SCAN));
}

std::unique_ptr<File> Win32FileSystem::openReadDenyWrite(const std::string& path) {
    return openedFile(openFileForReading(toWide(path), FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL));
}

std::unique_ptr<File> Win32FileSystem::createExclusive(const std::string& path) {
    return openHandle(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
}

namespace {
// The lock lives as long as the handle: whole file, exclusive.
class FileLockHeld : public HeldLock {
public:
    explicit FileLockHeld(Handle handle) : handle_(std::move(handle)) {}

private:
    Handle handle_;
};
}  // namespace

LockResult Win32FileSystem::lockExclusive(const std::string& path) {
    // Shared opening: a viewer or an indexer that reads the file never passes for a second run.
    Handle handle(CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid())
        handle = Handle(CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.valid()) return {};
    OVERLAPPED whole{};
    if (!LockFileEx(handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return {GetLastError() == ERROR_LOCK_VIOLATION ? LockOutcome::HeldByAnother : LockOutcome::Unavailable, nullptr};
    return {LockOutcome::Taken, std::make_unique<FileLockHeld>(std::move(handle))};
}

std::string volumeRootOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        return path.substr(0, 2) + "\\";
    const bool network = path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]);
    if (!network) return {};
    // "\\server\share\": the share is the volume.
    size_t separators = 0;
    for (size_t i = 2; i < path.size(); ++i) {
        if (isSeparator(path[i]) && ++separators == 2) return path.substr(0, i + 1);
    }
    return path + "\\";
}

}  // namespace platform::win32
