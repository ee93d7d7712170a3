// The operations on one file: copy, move, rename and delete, with the overwrite decision, the
// free-space query and the progress accounting.
#include <algorithm>
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
    // A destination that cannot be replaced (a running program on Windows) is told before the
    // source is read: the whole copy would only be thrown away.
    if (files_->fileExists(destination) && (!ConfirmOverwrite(old) || !files_->canReplace(destination))) {
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
    FRejected = end == CopyEnd::Complete && OnCheckContent && !OnCheckContent(temp.Path(), *opened);
    if (FRejected) end = CopyEnd::Rejected;
    if (end == CopyEnd::Complete && !temp.ReplaceDestination()) end = CopyEnd::NotReplaced;
    if (end == CopyEnd::Complete) {
        old.Keep();
        FLastCopied = TFxCopiedFile{*opened, FFinishing};
        return true;
    }
    // Clean up first, so that an error handler already finds the old destination as it was.
    temp.Discard();
    old.Restore();
    input.reset();
    ReportCopyEnd(end);
    return false;
}

// Data moves in steps of many blocks (few system calls; inside the kernel where it can), and
// the events follow block by block as if each had been read and written on its own.
TFxFileManager::CopyEnd TFxFileManager::CopyBlocks(platform::File& input, platform::File& output,
                                                   uint64_t& bytesRead) {
    const int64_t block = FBufferSize;  // a handler may change the property meanwhile
    const int64_t step = block * std::max<int64_t>(1, kCopyStepBytes / block);
    const auto buffer = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(step));
    int64_t unannounced = 0;  // written whole, no event yet: less than a block between steps
    int64_t unflushed = 0;
    for (;;) {
        if (FAborted) return CopyEnd::Aborted;
        const platform::Transfer moved = input.copyTo(output, buffer.get(), step);
        if (moved.read < 0) return CopyEnd::ReadFailed;
        bytesRead += static_cast<uint64_t>(moved.read);
        unannounced += moved.written;
        const bool atEnd = moved.read == 0;
        // The last block of the file may be short; a block cut by a failed write gets no event.
        while (unannounced >= block || (atEnd && unannounced > 0)) {
            const int64_t bytes = std::min(block, unannounced);
            if (!AnnounceBlock(bytes)) return CopyEnd::Aborted;
            unannounced -= bytes;
        }
        if (moved.written < moved.read) return CopyEnd::WriteFailed;
        if (atEnd) return FAborted ? CopyEnd::Aborted : CopyEnd::Complete;
        unflushed += moved.written;
        // The disk starts on the data now, so that the flush before the replace is short.
        if (FFlushBeforeReplace && unflushed >= kFlushStartBytes) {
            output.startFlush();
            unflushed = 0;
        }
    }
}

// One block written whole: counted, reported, and the window's messages let run. Not after an
// Abort: the block stays in the temporary, uncounted, and the copy ends.
bool TFxFileManager::AnnounceBlock(int64_t bytes) {
    if (FAborted) return false;
    FBytesProc += bytes;
    FProgress = RoundedPercent(FBytesProc, FBytesCount);
    Notify(OnProgress);
    LetMessagesRun();
    return true;
}

TFxFileManager::CopyEnd TFxFileManager::FinishCopy(platform::File& input, TempDestination& temp,
                                                   const std::string& source, const platform::FileStamp& opened,
                                                   uint64_t bytesRead) {
    const std::optional<uint32_t> time = input.lastWriteDos();
    // Looked at after the time was read, so that the time belongs to the version copied: a source
    // rewritten or cut meanwhile would stand as a mixture that no later run repairs.
    if (!platform::ReadOneVersion(input, opened, bytesRead)) return CopyEnd::SourceChanged;
    // A time, attributes or permissions that cannot be given (a folder mounted for another user)
    // leave the copy standing, marked unfinished for the caller: a later run must copy it again.
    FFinishing = true;
    if (FOptions.Contains(foCopyDateTime))
        // Years the DOS form cannot hold are kept exactly.
        FFinishing = time ? temp.File().setLastWriteDos(*time) : temp.File().setLastWrite(opened.lastWrite);
    // Data not on the disk yet could leave an empty file under the real name after a crash.
    if (FFlushBeforeReplace && !temp.File().flush()) return CopyEnd::WriteFailed;
    temp.Close();
    // A program copied from the server must still start.
    FFinishing = files_->copyPermissions(source, temp.Path()) && FFinishing;
    if (FOptions.Contains(foCopyAttr)) {
        const std::optional<uint32_t> attributes = files_->attributes(source);
        FFinishing = attributes && files_->setAttributes(temp.Path(), *attributes) && FFinishing;
    }
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
        case CopyEnd::Rejected:  // its owner tells why
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
