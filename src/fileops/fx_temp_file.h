// The temporary file a copy writes beside its destination. It replaces the destination only when
// complete; on every other path (failure, abort, an exception from a handler) it is removed, so
// the old destination stays exactly as it was.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace fileops {

class TempDestination {
public:
    TempDestination(platform::FileSystem& files, std::string destination);
    ~TempDestination() { Discard(); }
    TempDestination(const TempDestination&) = delete;
    TempDestination& operator=(const TempDestination&) = delete;

    // Creates "~<name>.<random>.tmp" in the destination's folder; false when the destination
    // has no file name, names a folder, or no file can be created there.
    bool Create();
    platform::File& File() { return *file_; }
    const std::string& Path() const { return path_; }
    void Close() { file_.reset(); }
    // Moves the closed temporary over the destination; false when the destination refuses.
    bool ReplaceDestination();
    // Closes and removes the temporary unless it already replaced the destination.
    void Discard();

private:
    std::string CandidateName() const;

    platform::FileSystem& files_;
    std::string destination_;
    std::string path_;
    std::unique_ptr<platform::File> file_;
};

}  // namespace fileops
