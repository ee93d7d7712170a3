#include "support/faulty_file_system.h"

#include <algorithm>

#include "platform/temporary_names.h"
#include "platform/text.h"

namespace testing_support {

namespace {

// An open file with the faults of its file system, placed by 8 KiB block of the file whatever
// the size of the calls: a read stops short before the failing block and the next one fails, a
// write stores only up to the middle of its short block and says so.
class FaultyFile : public platform::File {
public:
    struct Faults {
        std::optional<int> shortWriteAt;
        std::optional<int> failReadAt;
        std::optional<int> endReadAt;
        bool discardWrites = false;
        bool refuseTimes = false;
        bool diskFull = false;
        std::shared_ptr<int64_t> discarded;
        std::shared_ptr<int> flushes;
    };

    FaultyFile(std::unique_ptr<platform::File> inner, Faults faults)
        : inner_(std::move(inner)), faults_(std::move(faults)) {}

    int64_t read(void* buffer, int64_t count) override {
        if (faults_.endReadAt) {
            const int64_t end = BlockStart(*faults_.endReadAt);
            if (readAt_ >= end) return 0;
            count = std::min(count, end - readAt_);
        }
        if (faults_.failReadAt) {
            const int64_t failing = BlockStart(*faults_.failReadAt);
            if (readAt_ == failing) {
                faults_.failReadAt.reset();
                return -1;
            }
            if (readAt_ < failing) count = std::min(count, failing - readAt_);
        }
        const int64_t got = inner_->read(buffer, count);
        if (got > 0) readAt_ += got;
        return got;
    }
    int64_t write(const void* buffer, int64_t count) override {
        if (faults_.diskFull) return count > 0 ? -1 : 0;
        if (faults_.shortWriteAt) {
            const int64_t start = BlockStart(*faults_.shortWriteAt);
            if (start >= writtenAt_ && start < writtenAt_ + count) {
                faults_.shortWriteAt.reset();
                count = start - writtenAt_ + std::min(kBlock, writtenAt_ + count - start) / 2;
            }
        }
        const int64_t put = faults_.discardWrites ? count : inner_->write(buffer, count);
        if (faults_.discardWrites) *faults_.discarded += count;
        if (put > 0) writtenAt_ += put;
        return put;
    }
    bool flush() override {
        ++*faults_.flushes;
        return inner_->flush();
    }
    std::optional<uint32_t> lastWriteDos() override { return inner_->lastWriteDos(); }
    bool setLastWriteDos(uint32_t dosTime) override { return !faults_.refuseTimes && inner_->setLastWriteDos(dosTime); }
    std::optional<platform::FileStamp> stamp() override { return inner_->stamp(); }
    bool setLastWrite(int64_t fileTime) override { return !faults_.refuseTimes && inner_->setLastWrite(fileTime); }

private:
    static constexpr int64_t kBlock = 8192;
    static int64_t BlockStart(int k) { return (k - 1) * kBlock; }

    std::unique_ptr<platform::File> inner_;
    Faults faults_;
    int64_t readAt_ = 0;
    int64_t writtenAt_ = 0;
};

}  // namespace

std::string FaultyFileSystem::Key(const std::string& path) { return platform::upperAscii(platform::fileNamePart(path)); }

bool FaultyFileSystem::RefusesModeOf(const std::string& path) const {
    return refuseTimes_ && platform::IsTemporaryName(platform::fileNamePart(path));
}

bool FaultyFileSystem::deleteFile(const std::string& path) { return !IsLocked(path) && inner_->deleteFile(path); }

bool FaultyFileSystem::moveFile(const std::string& from, const std::string& to) {
    return !IsLocked(to) && inner_->moveFile(from, to);
}

bool FaultyFileSystem::replaceFile(const std::string& from, const std::string& to) {
    return !IsLocked(to) && inner_->replaceFile(from, to);
}

bool FaultyFileSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    // The platform's copy gives its file the source's time itself: refused there, it fails whole.
    if (IsLocked(to) || unreadable_.count(Key(from)) || refuseTimes_ || diskFull_) return false;
    return inner_->copyFile(from, to, failIfExists);
}

int64_t FaultyFileSystem::freeSpace(const std::string& path) {
    return freeSpace_ ? *freeSpace_ : inner_->freeSpace(path);
}

std::unique_ptr<platform::File> FaultyFileSystem::openRead(const std::string& path) {
    if (unreadable_.count(Key(path))) return nullptr;
    std::unique_ptr<platform::File> file = inner_->openRead(path);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(std::move(file), FaultyFile::Faults{std::nullopt, failReadAt_, endReadAt_, false, false, false, discarded_, flushes_});
}

std::unique_ptr<platform::File> FaultyFileSystem::createExclusive(const std::string& path) {
    if (IsLocked(path)) return nullptr;
    std::unique_ptr<platform::File> file = inner_->createExclusive(path);
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(std::move(file),
                                        FaultyFile::Faults{shortWriteAt_, std::nullopt, std::nullopt, discardWrites_, refuseTimes_, diskFull_, discarded_, flushes_});
}

}  // namespace testing_support
