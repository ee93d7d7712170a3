// TFxFileManager: copies, moves, renames or deletes every file that matches a source path with
// wildcards, mapping each one to a destination name, and reports everything through events.
// It works synchronously inside Execute on the caller's thread and raises nothing of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fileops/fx_file_types.h"
#include "platform/platform.h"

namespace fileops {

class TFxFileManager;
class TempDestination;

// A copy that replaced its destination: the source's version as it was read, and whether the
// destination also took the source's time, attributes and permissions.
struct TFxCopiedFile {
    platform::FileStamp Source;
    bool Finished = true;
};

using TFxFileErrorEvent = std::function<void(TFxFileManager& Sender, TFxFileError Error)>;
using TFxFileCreateDirEvent = std::function<void(TFxFileManager& Sender, bool& CanCreate)>;
using TFxFileOverwriteEvent = std::function<void(TFxFileManager& Sender, bool& CanOverwrite)>;
using TFxFileEndEvent = std::function<void(TFxFileManager& Sender, TFxFileStatus Status)>;
using TFxFileProcessEvent = std::function<void(TFxFileManager& Sender, bool& Skip)>;
using TNotifyEvent = std::function<void(TFxFileManager& Sender)>;

class TFxFileManager {
public:
    explicit TFxFileManager(std::shared_ptr<platform::FileSystem> files);
    TFxFileManager(const TFxFileManager&) = delete;
    TFxFileManager& operator=(const TFxFileManager&) = delete;

    // Runs the action on every listed file; true when its checks passed and its loop ran.
    bool Execute();
    // Asks a running Execute to stop: the copy after the current block, the loop after the file.
    void Abort() { FAborted = true; }

    TFxFileAction Action() const { return FAction; }
    void SetAction(TFxFileAction value) { FAction = value; }
    int32_t BufferSize() const { return FBufferSize; }
    // Throws std::invalid_argument for zero or a negative size: a copy could never progress.
    void SetBufferSize(int32_t value);
    const std::string& Source() const { return FSource; }
    void SetSource(const std::string& value);  // a different text clears the last run's state
    const std::string& Destination() const { return FDestination; }
    void SetDestination(const std::string& value);
    TFxFileOptions Options() const { return FOptions; }
    void SetOptions(TFxFileOptions value) { FOptions = value; }

    // Whether a copy's temporary file is forced to the disk before it replaces the destination.
    // On by default: without it a power cut after the rename can leave an empty file carrying the
    // server's time, which later runs take for current. The copy starts the disk's write-back as
    // it goes, so the flush itself finds little left to write.
    bool FlushBeforeReplace() const { return FFlushBeforeReplace; }
    void SetFlushBeforeReplace(bool value) { FFlushBeforeReplace = value; }

    bool Aborted() const { return FAborted; }
    int64_t BytesCount() const { return FBytesCount; }
    int64_t BytesProc() const { return FBytesProc; }
    const std::string& DirSrc() const { return FDirSrc; }
    const std::string& DirDest() const { return FDirDest; }
    int32_t FilesCount() const { return static_cast<int32_t>(FListSrc.size()); }
    int32_t FilesProc() const { return FFilesProc; }
    const TFxFileInfo& InfoSrc() const { return FInfoSrc; }
    const TFxFileInfo& InfoDest() const { return FInfoDest; }
    const std::vector<std::string>& ListSrc() const { return FListSrc; }
    const std::vector<std::string>& ListDest() const { return FListDest; }
    int32_t Progress() const { return FProgress; }
    // The last file that this Execute's copies installed; none when no copy replaced its destination.
    const std::optional<TFxCopiedFile>& LastCopied() const { return FLastCopied; }

    TFxFileErrorEvent OnError;
    TFxFileCreateDirEvent OnCreateDirectory;
    TFxFileOverwriteEvent OnOverwrite;
    TNotifyEvent OnProgress;
    TFxFileProcessEvent OnProcessFile;
    TNotifyEvent OnStart;
    TFxFileEndEvent OnEnd;
    // Asked of a complete copy before it replaces its destination, with the temporary's path and the
    // source's version as read: false discards it (no error event, no fallback copy) and the copy
    // fails, leaving the destination as it was. Unset, every complete copy stands.
    std::function<bool(const std::string& temporary, const platform::FileStamp& source)> OnCheckContent;
    // Whether the last copy was discarded by OnCheckContent.
    bool LastRejected() const { return FRejected; }
    // Lets pending window messages run; set by the window that owns the component.
    std::function<void()> ProcessMessages;

    // Free bytes where destination would be written: 2147483647 for a network path, else the
    // platform's answer (-1 when unknown, which fails every space check).
    int64_t DiskFreeFor(const std::string& destination);
    // The description of an existing file; empty when the search finds none.
    TFxFileInfo GetFileInfo(const std::string& path);

private:
    class AttributeGuard;
    enum class CopyEnd { Complete, Aborted, ReadFailed, SourceChanged, WriteFailed, NotReplaced, Rejected };

    void ResetState();
    void BuildSourceList();
    void BuildDestList();
    bool Listable(const platform::DirEntry& entry) const;
    TFxFileInfo InfoOf(const platform::DirEntry& entry, const std::string& path) const;

    bool CheckAmbiguous();
    bool CheckSameFile();
    bool CheckSameDir();
    bool CheckDestDir();
    void ForceDirs(const std::string& path);

    bool RunAction();
    bool CopyFiles();
    bool DeleteFiles();
    bool RenameFiles();
    bool MoveFiles();
    template <typename PerFile>
    void LoopOverFiles(PerFile perFile);
    void DescribeDestination(size_t index);

    bool CopyOneFile(const std::string& source, const std::string& destination);
    CopyEnd CopyBlocks(platform::File& input, platform::File& output, uint64_t& bytesRead);
    bool AnnounceBlock(int64_t bytes);
    CopyEnd FinishCopy(platform::File& input, TempDestination& temp, const std::string& source,
                       const platform::FileStamp& opened, uint64_t bytesRead);
    void SweepDestinationFolder();
    void ReportCopyEnd(CopyEnd end);
    bool MoveOneFile(const std::string& source, const std::string& destination);
    bool RenameOneFile(const std::string& source, const std::string& destination);
    bool DeleteOneFile(const std::string& path);
    bool ConfirmOverwrite(AttributeGuard& destination);
    void CountFileDone();

    void Fail(TFxFileError error);
    void Notify(const TNotifyEvent& event);
    void LetMessagesRun();

    std::shared_ptr<platform::FileSystem> files_;

    TFxFileAction FAction = faCopy;
    int32_t FBufferSize = 8192;
    std::string FSource;
    std::string FDestination;
    TFxFileOptions FOptions = kDefaultFileOptions;
    std::vector<std::string> FListSrc;
    std::vector<std::string> FListDest;
    int64_t FBytesCount = 0;
    int64_t FBytesProc = 0;
    int32_t FFilesProc = 0;
    TFxFileInfo FInfoSrc;
    TFxFileInfo FInfoDest;
    std::string FDirSrc;
    std::string FDirDest;
    int32_t FProgress = 0;
    bool FAborted = false;
    bool FFlushBeforeReplace = true;
    std::optional<TFxCopiedFile> FLastCopied;
    bool FRejected = false;
    bool FFinishing = true;  // the copy in hand has had every time, attribute and permission given
    // Bytes a copy moves per system call (a whole number of blocks; a read of a share's size),
    // and how much written data makes it start the disk's write-back. Measured on 256 MiB
    // (bench/run_bench.sh, bench/share_bench.sh).
    static constexpr int64_t kCopyStepBytes = platform::kCopyReadBytes;
    static constexpr int64_t kFlushStartBytes = 4 * 1024 * 1024;
    // Destination folders already cleared of killed copies' temporaries (upper-cased).
    std::set<std::string> FSweptFolders;
};

}  // namespace fileops
