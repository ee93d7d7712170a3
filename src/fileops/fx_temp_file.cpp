#include "fileops/fx_temp_file.h"

#include <cstdio>
#include <random>

#include "platform/text.h"

namespace fileops {

namespace {

// A few attempts are plenty: eight random hex digits rarely meet an existing name.
constexpr int kNameAttempts = 8;

uint32_t RandomTag() {
    static std::mt19937 generator{std::random_device{}()};
    return static_cast<uint32_t>(generator());
}

}  // namespace

TempDestination::TempDestination(platform::FileSystem& files, std::string destination)
    : files_(files), destination_(std::move(destination)) {}

std::string TempDestination::CandidateName() const {
    char tag[9];
    std::snprintf(tag, sizeof tag, "%08x", RandomTag());
    // "~" and ".tmp" keep it apart from every module, package and library name.
    return platform::folderPart(destination_) + "~" + platform::fileNamePart(destination_) + "." + tag + ".tmp";
}

bool TempDestination::Create() {
    if (platform::fileNamePart(destination_).empty() || files_.dirExists(destination_)) return false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = CandidateName();
        if (files_.fileExists(candidate) || files_.dirExists(candidate)) continue;
        file_ = files_.createExclusive(candidate);
        if (!file_) return false;
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

}  // namespace fileops
