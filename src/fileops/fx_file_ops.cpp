// The operations on one file: copy, move, rename and delete, with the overwrite decision, the
// free-space query and the progress accounting.
#include <memory>
#include <optional>

#include "fileops/fx_file_manager.h"
#include "fileops/fx_rules.h"
#include "fileops/fx_temp_file.h"
#include "platform/text.h"

namespace fileops {

// Clears an existing destination's attributes so that it can be replaced, and puts them back
// unless the replacement happened: a failed operation leaves the destination as it was.
class TFxFileManager::AttributeGuard {
public:
    AttributeGuard(platform::FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}
    ~AttributeGuard() { Restore(); }
    AttributeGuard(const AttributeGuard&) = delete;
    AttributeGuard& operator=(const AttributeGuard&) = delete;

    bool ClearForReplace() {
        saved_ = files_.attributes(path_);
        return saved_ && files_.setAttributes(path_, platform::attr::Archive);
    }
    void Keep() { saved_.reset(); }
    void Restore() {
        if (saved_) files_.setAttributes(path_, *saved_);
        saved_.reset();
    }

private:
    platform::FileSystem& files_;
    std::string path_;
    std::optional<uint32_t> saved_;
};

int64_t TFxFileManager::DiskFreeFor(const std::string& destination) {
    // Network shares are never refused for space.
    if (IsNetworkPath(platform::upperAscii(destination))) return 2147483647;
    return files_->freeSpace(destination);
}

bool TFxFileManager::ConfirmOverwrite(AttributeGuard& destination) {
    bool canOverwrite = FOptions.Contains(foOverwrite);
    if (!canOverwrite) {
        if (OnOverwrite)
            OnOverwrite(*this, canOverwrite);
        else
            Fail(feDestExists);
    }
    // The old file is not deleted here: it is replaced in one step once the new one is complete.
    return canOverwrite && destination.ClearForReplace();
}

bool TFxFileManager::CopyOneFile(const std::string& source, const std::string& destination) {
    if (FAborted) return false;
    if (FOptions.Contains(foCheckSpace) && FInfoSrc.Size > DiskFreeFor(destination)) {
        Fail(feNoSpace);
        return false;
    }
    std::unique_ptr<platform::File> input = files_->openRead(source);
    // What the source is at the start, to tell at the end whether one version was read.
    const std::optional<platform::FileStamp> opened = input ? input->stamp() : std::nullopt;
    if (!opened) {
        Fail(feOpenError);
        return false;
    }
    AttributeGuard old(*files_, FInfoDest.Path + FInfoDest.Name);
    if (files_->fileExists(destination) && !ConfirmOverwrite(old)) {
        old.Restore();
        Fail(feDestExists);
        return false;
    }
    TempDestination temp(*files_, destination);
    if (!temp.Create()) {
        old.Restore();
        Fail(feCreateError);
        return false;
    }
    uint64_t bytesRead = 0;
    CopyEnd end = CopyBlocks(*input, temp.File(), bytesRead);
    if (end == CopyEnd::Complete) end = FinishCopy(*input, temp, source, *opened, bytesRead);
    if (end == CopyEnd::Complete && !temp.ReplaceDestination()) end = CopyEnd::NotReplaced;
    if (end == CopyEnd::Complete) {
        old.Keep();
        return true;
    }
    // Clean up first, so that an error handler already finds the old destination as it was.
    temp.Discard();
    old.Restore();
    input.reset();
    ReportCopyEnd(end);
    return false;
}

TFxFileManager::CopyEnd TFxFileManager::CopyBlocks(platform::File& input, platform::File& output,
                                                   uint64_t& bytesRead) {
    const int32_t blockSize = FBufferSize;  // a handler may change the property meanwhile
    const auto buffer = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(blockSize));
    int64_t read = 0;
    do {
        read = input.read(buffer.get(), blockSize);
        if (read < 0) return CopyEnd::ReadFailed;
        if (read == 0) break;
        bytesRead += static_cast<uint64_t>(read);
        if (output.write(buffer.get(), read) != read) return CopyEnd::WriteFailed;
        if (FAborted) return CopyEnd::Aborted;
        FBytesProc += read;
        FProgress = RoundedPercent(FBytesProc, FBytesCount);
        Notify(OnProgress);
        LetMessagesRun();
    } while (read == blockSize);
    return FAborted ? CopyEnd::Aborted : CopyEnd::Complete;
}

TFxFileManager::CopyEnd TFxFileManager::FinishCopy(platform::File& input, TempDestination& temp,
                                                   const std::string& source, const platform::FileStamp& opened,
                                                   uint64_t bytesRead) {
    const std::optional<uint32_t> time = input.lastWriteDos();
    // Looked at after the time was read, so that the time belongs to the version copied: a source
    // rewritten or cut meanwhile would stand as a mixture that no later run repairs.
    if (!platform::ReadOneVersion(input, opened, bytesRead)) return CopyEnd::SourceChanged;
    if (FOptions.Contains(foCopyDateTime)) {
        if (time)
            temp.File().setLastWriteDos(*time);
        else
            temp.File().setLastWrite(opened.lastWrite);  // years the DOS form cannot hold: kept exactly
    }
    // Data not on the disk yet could leave an empty file under the real name after a crash.
    if (FFlushBeforeReplace && !temp.File().flush()) return CopyEnd::WriteFailed;
    temp.Close();
    files_->copyPermissions(source, temp.Path());  // a program copied from the server must still start
    if (FOptions.Contains(foCopyAttr))
        if (const std::optional<uint32_t> attributes = files_->attributes(source))
            files_->setAttributes(temp.Path(), *attributes);
    return CopyEnd::Complete;
}

void TFxFileManager::ReportCopyEnd(CopyEnd end) {
    switch (end) {
        case CopyEnd::ReadFailed: Fail(feOpenError); break;  // no value of its own: the nearest one
        // The source, not the destination, failed: not readable as one version. The error
        // handler's fallback copy then tries again, and the next run copies it anew.
        case CopyEnd::SourceChanged: Fail(feOpenError); break;
        case CopyEnd::WriteFailed: Fail(feWriteError); break;
        case CopyEnd::NotReplaced: Fail(feDestExists); break;  // locked or running: the old file stays
        case CopyEnd::Aborted:
        case CopyEnd::Complete: break;
    }
}

bool TFxFileManager::MoveOneFile(const std::string& source, const std::string& destination) {
    AttributeGuard old(*files_, FInfoDest.Path + FInfoDest.Name);
    const bool exists = files_->fileExists(destination);
    if (exists && !ConfirmOverwrite(old)) return false;
    // An existing destination is replaced in one step, never deleted first.
    const bool moved = exists ? files_->replaceFile(source, destination) : files_->moveFile(source, destination);
    if (moved) {
        old.Keep();
    } else {
        old.Restore();
        Fail(feMoveError);
    }
    CountFileDone();
    return moved;
}

bool TFxFileManager::RenameOneFile(const std::string& source, const std::string& destination) {
    bool renamed = false;
    if (files_->fileExists(destination)) {
        Fail(feDestExists);
    } else {
        renamed = files_->moveFile(source, destination);
        if (!renamed) Fail(feRenameError);
    }
    CountFileDone();
    return renamed;
}

bool TFxFileManager::DeleteOneFile(const std::string& path) {
    const uint8_t remembered = FInfoSrc.Attr;
    files_->setAttributes(path, platform::attr::Archive);
    const bool deleted = files_->deleteFile(path);
    if (!deleted) {
        files_->setAttributes(path, remembered);
        Fail(feDeleteError);
    }
    CountFileDone();
    return deleted;
}

void TFxFileManager::CountFileDone() {
    FBytesProc += FInfoSrc.Size;
    FProgress = RoundedPercent(FFilesProc + 1, FilesCount());
    Notify(OnProgress);
    LetMessagesRun();
}

}  // namespace fileops
