// A file system that hands every call to another one: the base of a layer that watches or changes
// a few calls and leaves the rest alone.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform {

class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(std::shared_ptr<FileSystem> inner) : inner_(std::move(inner)) {}

    std::vector<DirEntry> find(const std::string& pattern) override { return inner_->find(pattern); }
    std::optional<std::vector<DirEntry>> listFolder(const std::string& folder) override {
        return inner_->listFolder(folder);
    }
    std::optional<uint32_t> attributes(const std::string& path) override { return inner_->attributes(path); }
    bool setAttributes(const std::string& path, uint32_t value) override { return inner_->setAttributes(path, value); }
    bool fileExists(const std::string& path) override { return inner_->fileExists(path); }
    bool dirExists(const std::string& path) override { return inner_->dirExists(path); }
    std::optional<uint32_t> lastWriteDos(const std::string& path) override { return inner_->lastWriteDos(path); }
    std::optional<uint64_t> fileSize(const std::string& path) override { return inner_->fileSize(path); }
    std::optional<FileStamp> stampOf(const std::string& path) override { return inner_->stampOf(path); }
    std::optional<FileIdentity> folderIdentity(const std::string& path) override {
        return inner_->folderIdentity(path);
    }
    bool createDirectory(const std::string& path) override { return inner_->createDirectory(path); }
    bool deleteFile(const std::string& path) override { return inner_->deleteFile(path); }
    bool moveFile(const std::string& from, const std::string& to) override { return inner_->moveFile(from, to); }
    bool replaceFile(const std::string& from, const std::string& to) override { return inner_->replaceFile(from, to); }
    bool canReplace(const std::string& path) override { return inner_->canReplace(path); }
    bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        return inner_->copyFile(from, to, failIfExists);
    }
    bool linkFile(const std::string& existing, const std::string& link) override {
        return inner_->linkFile(existing, link);
    }
    bool copyPermissions(const std::string& from, const std::string& to) override {
        return inner_->copyPermissions(from, to);
    }
    int64_t freeSpace(const std::string& path) override { return inner_->freeSpace(path); }
    std::unique_ptr<File> openRead(const std::string& path) override { return inner_->openRead(path); }
    std::unique_ptr<File> openReadDenyWrite(const std::string& path) override {
        return inner_->openReadDenyWrite(path);
    }
    std::unique_ptr<File> createExclusive(const std::string& path) override { return inner_->createExclusive(path); }
    bool appendToFile(const std::string& path, std::string_view bytes) override {
        return inner_->appendToFile(path, bytes);
    }
    LockResult lockExclusive(const std::string& path) override { return inner_->lockExclusive(path); }

private:
    std::shared_ptr<FileSystem> inner_;
};

}  // namespace platform
