// The file system through the wide Win32 calls.
#pragma once

#include "platform/platform.h"

namespace platform::win32 {

class Win32FileSystem : public FileSystem {
public:
    std::vector<DirEntry> find(const std::string& pattern) override;
    std::optional<std::vector<DirEntry>> listFolder(const std::string& folder) override;
    std::optional<uint32_t> attributes(const std::string& path) override;
    bool setAttributes(const std::string& path, uint32_t attributes) override;
    bool fileExists(const std::string& path) override;
    bool dirExists(const std::string& path) override;
    std::optional<uint32_t> lastWriteDos(const std::string& path) override;
    std::optional<uint64_t> fileSize(const std::string& path) override;
    std::optional<FileStamp> stampOf(const std::string& path) override;
    std::optional<FileIdentity> folderIdentity(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    bool canReplace(const std::string& path) override;
    bool linkFile(const std::string& existing, const std::string& link) override;
    bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    int64_t freeSpace(const std::string& path) override;
    std::unique_ptr<File> openRead(const std::string& path) override;
    std::unique_ptr<File> openReadDenyWrite(const std::string& path) override;
    std::unique_ptr<File> createExclusive(const std::string& path) override;
    bool appendToFile(const std::string& path, std::string_view bytes) override;
    LockResult lockExclusive(const std::string& path) override;
};

// The root that GetDiskFreeSpaceExW is asked about for a path: "X:\" for a drive path,
// "\\server\share\" for a network path, empty (the current drive) otherwise.
std::string volumeRootOf(const std::string& path);

}  // namespace platform::win32
