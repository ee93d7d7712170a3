#include "fileops/fx_file_manager.h"

#include <stdexcept>

#include "fileops/fx_names.h"
#include "fileops/fx_rules.h"
#include "fileops/fx_temp_file.h"
#include "platform/text.h"

namespace fileops {

TFxFileManager::TFxFileManager(std::shared_ptr<platform::FileSystem> files) : files_(std::move(files)) {
    if (!files_) throw std::invalid_argument("TFxFileManager needs a file system");
    ResetState();
}

void TFxFileManager::SetBufferSize(int32_t value) {
    if (value <= 0)
        throw std::invalid_argument("TFxFileManager: BufferSize must be positive, got " + std::to_string(value));
    FBufferSize = value;
}

void TFxFileManager::SetSource(const std::string& value) {
    if (value == FSource) return;
    FSource = value;
    ResetState();
}

void TFxFileManager::SetDestination(const std::string& value) {
    if (value == FDestination) return;
    FDestination = value;
    ResetState();
}

void TFxFileManager::ResetState() {
    FListSrc.clear();
    FListDest.clear();
    FBytesCount = 0;
    FBytesProc = 0;
    FFilesProc = 0;
    FInfoSrc = {};
    FInfoDest = {};
    FDirSrc.clear();
    FDirDest.clear();
    FProgress = 0;
    FLastCopied.reset();
    FRejected = false;
}

bool TFxFileManager::Execute() {
    FAborted = false;
    ResetState();
    FDirSrc = DirOf(FSource);
    FDirDest = DirOf(FDestination);
    BuildSourceList();
    if (FAction != faDelete) BuildDestList();
    if (FListSrc.empty()) {
        Fail(feInvalidSource);
        return false;
    }
    Notify(OnStart);
    if (FAborted) return false;
    const bool result = RunAction();
    if (OnEnd) OnEnd(*this, FinalStatus(result, FAborted, FFilesProc, FilesCount()));
    return result;
}

bool TFxFileManager::RunAction() {
    switch (FAction) {
        case faCopy: return CopyFiles();
        case faDelete: return DeleteFiles();
        case faRename: return RenameFiles();
        case faMove: return MoveFiles();
    }
    return false;
}

// --- Listing -----------------------------------------------------------------------------------

// The search passes over folders, and over hidden or system entries the options leave out.
bool TFxFileManager::Listable(const platform::DirEntry& entry) const {
    const uint32_t mask = AttrMask(FOptions);
    if (entry.attributes & platform::attr::Directory) return false;
    for (uint32_t bit : {platform::attr::Hidden, platform::attr::System})
        if ((entry.attributes & bit) && !(mask & bit)) return false;
    return true;
}

TFxFileInfo TFxFileManager::InfoOf(const platform::DirEntry& entry, const std::string& path) const {
    TFxFileInfo info;
    info.Path = DirOf(path);
    info.Name = entry.name;
    info.Size = static_cast<int64_t>(entry.size);
    info.Attr = static_cast<uint8_t>(entry.attributes & 0xFF);
    info.Time = static_cast<int32_t>(entry.dosTime.value_or(0));
    return info;
}

TFxFileInfo TFxFileManager::GetFileInfo(const std::string& path) {
    for (const platform::DirEntry& entry : files_->find(path))
        if (Listable(entry)) return InfoOf(entry, path);
    return {};
}

void TFxFileManager::BuildSourceList() {
    const uint32_t mask = AttrMask(FOptions);
    for (const platform::DirEntry& entry : files_->find(FSource)) {
        // Any bit outside the mask (folder, link, compressed, sparse...) keeps the entry out.
        if (!Listable(entry) || (entry.attributes & ~mask) != 0) continue;
        FListSrc.push_back(FDirSrc + entry.name);
        FBytesCount += static_cast<int64_t>(entry.size);
    }
}

void TFxFileManager::BuildDestList() {
    const std::string nameMask = NamePart(FDestination);
    const std::string extMask = ExtPart(FDestination);
    for (const std::string& source : FListSrc) {
        std::string target = FDirDest + ApplyMask(NamePart(source), nameMask);
        const std::string ext = ApplyMask(ExtPart(source), extMask);
        if (!ext.empty()) target += "." + ext;
        bool known = false;
        for (const std::string& listed : FListDest) known = known || platform::equalsIgnoringAsciiCase(listed, target);
        if (!known) FListDest.push_back(target);
    }
}

// --- Checks ------------------------------------------------------------------------------------

bool TFxFileManager::CheckAmbiguous() {
    if (FListSrc.size() == FListDest.size()) return true;
    Fail(feAmbigDest);
    return false;
}

bool TFxFileManager::CheckSameFile() {
    if (platform::upperAscii(FListSrc.front()) != platform::upperAscii(FListDest.front())) return true;
    Fail(feSameFile);
    return false;
}

bool TFxFileManager::CheckSameDir() {
    if (platform::upperAscii(platform::folderPart(FListSrc.front())) ==
        platform::upperAscii(platform::folderPart(FListDest.front())))
        return true;
    Fail(feDiferentDir);
    return false;
}

bool TFxFileManager::CheckDestDir() {
    if (!DestDirNeedsCheck(FDirDest) || files_->dirExists(FDirDest)) return true;
    bool canCreate = FOptions.Contains(foCreateDir);
    if (!canCreate) {
        if (OnCreateDirectory)
            OnCreateDirectory(*this, canCreate);
        else
            Fail(feDirNotExists);
    }
    // A failed creation shows up later as feCreateError for each file.
    if (canCreate) ForceDirs(FDirDest);
    return canCreate;
}

void TFxFileManager::ForceDirs(const std::string& path) {
    std::string folder = path;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (folder.empty() || files_->dirExists(folder)) return;
    const std::string parent = platform::folderPart(folder);
    if (parent.size() < folder.size()) ForceDirs(parent);
    files_->createDirectory(folder);
}

// --- Loops -------------------------------------------------------------------------------------

template <typename PerFile>
void TFxFileManager::LoopOverFiles(PerFile perFile) {
    for (size_t i = 0; i < FListSrc.size(); ++i) {
        FInfoSrc = GetFileInfo(FListSrc[i]);
        if (FAction != faDelete) DescribeDestination(i);
        bool skip = false;
        if (OnProcessFile) OnProcessFile(*this, skip);
        if (!skip && perFile(i)) ++FFilesProc;
        if (FAborted) break;
    }
}

void TFxFileManager::DescribeDestination(size_t index) {
    const std::string& target = FListDest[index];
    if (FAction == faCopy) {
        FInfoDest = GetFileInfo(target);
        if (!FInfoDest.Name.empty()) return;
    } else {
        FInfoDest = FInfoSrc;
    }
    FInfoDest.Path = DirOf(target);
    FInfoDest.Name = platform::fileNamePart(target);
}

bool TFxFileManager::CopyFiles() {
    if (!CheckAmbiguous() || !CheckSameFile() || !CheckDestDir()) return false;
    SweepDestinationFolder();
    LoopOverFiles([this](size_t i) { return CopyOneFile(FListSrc[i], FListDest[i]); });
    return true;
}

// A copy killed midway (power cut, terminal switched off) leaves its temporary beside the
// destination: they go before this component's first copy into a folder.
void TFxFileManager::SweepDestinationFolder() {
    if (FSweptFolders.insert(platform::upperAscii(FDirDest)).second) RemoveLeftoverTemporaries(*files_, FDirDest);
}

bool TFxFileManager::RenameFiles() {
    if (!CheckAmbiguous() || !CheckSameFile() || !CheckSameDir()) return false;
    LoopOverFiles([this](size_t i) { return RenameOneFile(FListSrc[i], FListDest[i]); });
    return true;
}

bool TFxFileManager::MoveFiles() {
    if (!CheckAmbiguous() || !CheckSameFile()) return false;
    LoopOverFiles([this](size_t i) { return MoveOneFile(FListSrc[i], FListDest[i]); });
    return true;
}

bool TFxFileManager::DeleteFiles() {
    LoopOverFiles([this](size_t i) { return DeleteOneFile(FListSrc[i]); });
    return true;
}

// --- Events ------------------------------------------------------------------------------------

void TFxFileManager::Fail(TFxFileError error) {
    if (OnError) OnError(*this, error);
}

void TFxFileManager::Notify(const TNotifyEvent& event) {
    if (event) event(*this);
}

void TFxFileManager::LetMessagesRun() {
    if (ProcessMessages) ProcessMessages();
}

}  // namespace fileops
