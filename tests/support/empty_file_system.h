// A file layer with nothing in it: every query finds nothing and every change is refused. Test
// doubles derive from it and override only what their test uses.
#pragma once

#include "platform/platform.h"

namespace testing_support {

class EmptyFileSystem : public platform::FileSystem {
public:
    std::vector<platform::DirEntry> find(const std::string&) override { return {}; }
    std::optional<uint32_t> attributes(const std::string&) override { return std::nullopt; }
    bool setAttributes(const std::string&, uint32_t) override { return false; }
    bool fileExists(const std::string&) override { return false; }
    bool dirExists(const std::string&) override { return false; }
    std::optional<uint32_t> lastWriteDos(const std::string&) override { return std::nullopt; }
    std::optional<uint64_t> fileSize(const std::string&) override { return std::nullopt; }
    std::optional<platform::FileStamp> stampOf(const std::string&) override { return std::nullopt; }
    std::optional<platform::FileIdentity> folderIdentity(const std::string&) override { return std::nullopt; }
    bool createDirectory(const std::string&) override { return false; }
    bool deleteFile(const std::string&) override { return false; }
    bool moveFile(const std::string&, const std::string&) override { return false; }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    bool copyFile(const std::string&, const std::string&, bool) override { return false; }
    int64_t freeSpace(const std::string&) override { return -1; }
    std::unique_ptr<platform::File> openRead(const std::string&) override { return nullptr; }
    std::unique_ptr<platform::File> openReadDenyWrite(const std::string&) override { return nullptr; }
    std::unique_ptr<platform::File> createExclusive(const std::string&) override { return nullptr; }
};

}  // namespace testing_support
