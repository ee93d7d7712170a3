#include "support/faulty_file_system.h"

#include "platform/text.h"

namespace testing_support {

namespace {

// An open file with the faults of its file system: counts its reads and writes by block.
class FaultyFile : public platform::File {
public:
    struct Faults {
        std::optional<int> shortWriteAt;
        std::optional<int> failReadAt;
        bool discardWrites = false;
        std::shared_ptr<int64_t> discarded;
        std::shared_ptr<int> flushes;
    };

    FaultyFile(std::unique_ptr<platform::File> inner, Faults faults)
        : inner_(std::move(inner)), faults_(std::move(faults)) {}

    int64_t read(void* buffer, int64_t count) override {
        if (faults_.failReadAt && ++reads_ == *faults_.failReadAt) return -1;
        return inner_->read(buffer, count);
    }
    int64_t write(const void* buffer, int64_t count) override {
        ++writes_;
        if (faults_.shortWriteAt && writes_ == *faults_.shortWriteAt) count /= 2;
        if (!faults_.discardWrites) return inner_->write(buffer, count);
        *faults_.discarded += count;
        return count;
    }
    bool flush() override {
        ++*faults_.flushes;
        return inner_->flush();
    }
    std::optional<uint32_t> lastWriteDos() override { return inner_->lastWriteDos(); }
    bool setLastWriteDos(uint32_t dosTime) override { return inner_->setLastWriteDos(dosTime); }
    std::optional<platform::FileStamp> stamp() override { return inner_->stamp(); }
    bool setLastWrite(int64_t fileTime) override { return inner_->setLastWrite(fileTime); }

private:
    std::unique_ptr<platform::File> inner_;
    Faults faults_;
    int reads_ = 0;
    int writes_ = 0;
};

}  // namespace

std::string FaultyFileSystem::Key(const std::string& path) { return platform::upperAscii(platform::fileNamePart(path)); }

bool FaultyFileSystem::deleteFile(const std::string& path) { return !IsLocked(path) && inner_->deleteFile(path); }

bool FaultyFileSystem::moveFile(const std::string& from, const std::string& to) {
    return !IsLocked(to) && inner_->moveFile(from, to);
}

bool FaultyFileSystem::replaceFile(const std::string& from, const std::string& to) {
    return !IsLocked(to) && inner_->replaceFile(from, to);
}

bool FaultyFileSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (IsLocked(to) || unreadable_.count(Key(from))) return false;
    return inner_->copyFile(from, to, failIfExists);
}

int64_t FaultyFileSystem::freeSpace(const std::string& path) {
    return freeSpace_ ? *freeSpace_ : inner_->freeSpace(path);
}

std::unique_ptr<platform::File> FaultyFileSystem::openRead(const std::string& path) {
    if (unreadable_.count(Key(path))) return nullptr;
    std::unique_ptr<platform::File> file = inner_->openRead(path);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(std::move(file), FaultyFile::Faults{std::nullopt, failReadAt_, false, discarded_, flushes_});
}

std::unique_ptr<platform::File> FaultyFileSystem::createExclusive(const std::string& path) {
    if (IsLocked(path)) return nullptr;
    std::unique_ptr<platform::File> file = inner_->createExclusive(path);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(std::move(file),
                                        FaultyFile::Faults{shortWriteAt_, std::nullopt, discardWrites_, discarded_, flushes_});
}

}  // namespace testing_support
