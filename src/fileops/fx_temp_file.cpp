#include "fileops/fx_temp_file.h"

#include "platform/temporary_names.h"
#include "platform/text.h"

namespace fileops {

namespace {
// A few attempts are plenty: eight random hex digits rarely meet an existing name.
constexpr int kNameAttempts = 8;
}  // namespace

TempDestination::TempDestination(platform::FileSystem& files, std::string destination)
    : files_(files), destination_(std::move(destination)) {}

bool TempDestination::Create() {
    if (platform::fileNamePart(destination_).empty() || files_.dirExists(destination_)) return false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = platform::TemporaryNameFor(destination_, platform::RandomTemporaryTag());
        if (files_.fileExists(candidate) || files_.dirExists(candidate)) continue;
        file_ = files_.createExclusive(candidate);
        if (!file_) continue;  // lost to another program's clean-up between create and lock, say
        path_ = candidate;
        return true;
    }
    return false;
}

bool TempDestination::ReplaceDestination() {
    Close();
    if (!files_.replaceFile(path_, destination_)) return false;
    path_.clear();
    return true;
}

void TempDestination::Discard() {
    Close();
    if (path_.empty()) return;
    // It may carry the source's read-only bit already, which would refuse the deletion.
    files_.setAttributes(path_, platform::attr::Archive);
    files_.deleteFile(path_);
    path_.clear();
}

void RemoveLeftoverTemporaries(platform::FileSystem& files, const std::string& folder) {
    for (const platform::DirEntry& entry : files.find(folder + "~*.tmp")) {
        if ((entry.attributes & platform::attr::Directory) || !platform::IsTemporaryName(entry.name)) continue;
        const std::string path = folder + entry.name;
        if (files.deleteFile(path) || !(entry.attributes & platform::attr::ReadOnly)) continue;
        // A copy killed after it gave the temporary the source's read-only bit: clear it first,
        // and put it back when the file is still refused (a copy writing it after all).
        if (files.setAttributes(path, platform::attr::Archive) && !files.deleteFile(path))
            files.setAttributes(path, entry.attributes);
    }
}

}  // namespace fileops
