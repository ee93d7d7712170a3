// A file layer for tests that passes every call to a real one and injects the faults a
// workstation meets: no space, a short write, an unreadable source, a locked destination, a drive
// whose free space cannot be read. Files are named by their file name, letter case ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/platform.h"

namespace testing_support {

class FaultyFileSystem : public platform::FileSystem {
public:
    explicit FaultyFileSystem(std::shared_ptr<platform::FileSystem> inner) : inner_(std::move(inner)) {}

    // freeSpace answers this for every path (-1: the drive cannot be queried).
    void SetFreeSpace(int64_t bytes) { freeSpace_ = bytes; }
    // The write that reaches the k-th 8 KiB block (1-based) of each created file stores only the
    // first half of that block's bytes and reports the count stored.
    void ShortWriteAtBlock(int k) { shortWriteAt_ = k; }
    // Reading the k-th 8 KiB block (1-based) of each opened file reports an error; a read that
    // would reach into it ends before it.
    void FailReadAtBlock(int k) { failReadAt_ = k; }
    // Reading each opened file ends early, at the start of its k-th 8 KiB block (1-based): the
    // read reports the end there, while the file keeps its size and time (a share that drops data).
    void EndReadAtBlock(int k) { endReadAt_ = k; }
    // openRead refuses this file.
    void MakeUnreadable(const std::string& name) { unreadable_.insert(Key(name)); }
    // Deleting this file, or replacing or moving anything onto it, is refused (a running program).
    void Lock(const std::string& name) { locked_.insert(Key(name)); }
    // Created files take writes without storing them (to copy gigabytes without the disk).
    void DiscardWrites() { discardWrites_ = true; }
    // As on a folder mounted for another user: created files refuse a time, and the copies'
    // temporaries refuse attributes and permissions.
    void RefuseTimesAndModes() { refuseTimes_ = true; }
    // linkFile is refused, as on another volume, on FAT, or a name that finds no room.
    void RefuseLinks() { refuseLinks_ = true; }
    // A full disk: no free space, no new name (link, folder, copy), and created files store
    // nothing. Files already there can still be renamed and removed.
    void FillDisk() { diskFull_ = refuseLinks_ = true; freeSpace_ = 0; }

    int64_t BytesDiscarded() const { return *discarded_; }
    int FlushCalls() const { return *flushes_; }

    std::vector<platform::DirEntry> find(const std::string& pattern) override { return inner_->find(pattern); }
    std::optional<std::vector<platform::DirEntry>> listFolder(const std::string& folder) override {
        return inner_->listFolder(folder);
    }
    std::optional<uint32_t> attributes(const std::string& path) override { return inner_->attributes(path); }
    bool setAttributes(const std::string& path, uint32_t attributes) override {
        return !RefusesModeOf(path) && inner_->setAttributes(path, attributes);
    }
    bool fileExists(const std::string& path) override { return inner_->fileExists(path); }
    bool dirExists(const std::string& path) override { return inner_->dirExists(path); }
    std::optional<uint32_t> lastWriteDos(const std::string& path) override { return inner_->lastWriteDos(path); }
    std::optional<uint64_t> fileSize(const std::string& path) override { return inner_->fileSize(path); }
    std::optional<platform::FileStamp> stampOf(const std::string& path) override { return inner_->stampOf(path); }
    std::optional<platform::FileIdentity> folderIdentity(const std::string& path) override {
        return inner_->folderIdentity(path);
    }
    bool createDirectory(const std::string& path) override { return !diskFull_ && inner_->createDirectory(path); }
    bool linkFile(const std::string& existing, const std::string& link) override {
        return !refuseLinks_ && inner_->linkFile(existing, link);
    }
    bool deleteFile(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    bool copyPermissions(const std::string& from, const std::string& to) override {
        return !RefusesModeOf(to) && inner_->copyPermissions(from, to);
    }
    int64_t freeSpace(const std::string& path) override;
    std::unique_ptr<platform::File> openRead(const std::string& path) override;
    std::unique_ptr<platform::File> openReadDenyWrite(const std::string& path) override {
        return inner_->openReadDenyWrite(path);
    }
    std::unique_ptr<platform::File> createExclusive(const std::string& path) override;
    bool appendToFile(const std::string& path, std::string_view bytes) override {
        return !diskFull_ && inner_->appendToFile(path, bytes);
    }
    platform::LockResult lockExclusive(const std::string& path) override { return inner_->lockExclusive(path); }

private:
    static std::string Key(const std::string& path);
    bool IsLocked(const std::string& path) const { return locked_.count(Key(path)) != 0; }
    bool RefusesModeOf(const std::string& path) const;

    std::shared_ptr<platform::FileSystem> inner_;
    std::optional<int64_t> freeSpace_;
    std::optional<int> shortWriteAt_;
    std::optional<int> failReadAt_;
    std::optional<int> endReadAt_;
    std::set<std::string> unreadable_;
    std::set<std::string> locked_;
    bool discardWrites_ = false;
    bool refuseTimes_ = false;
    bool refuseLinks_ = false;
    bool diskFull_ = false;
    // Shared with the open files, which may outlive a call.
    std::shared_ptr<int64_t> discarded_ = std::make_shared<int64_t>(0);
    std::shared_ptr<int> flushes_ = std::make_shared<int>(0);
};

}  // namespace testing_support
