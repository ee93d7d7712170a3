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

    // Creates "~<name>.<random>.tmp" in the destination's folder, shared with nobody while open;
    // false when the destination has no file name, names a folder, or no file can be created there.
    bool Create();
    platform::File& File() { return *file_; }
    const std::string& Path() const { return path_; }
    void Close() { file_.reset(); }
    // Moves the closed temporary over the destination; false when the destination refuses.
    bool ReplaceDestination();
    // Closes and removes the temporary unless it already replaced the destination.
    void Discard();

private:
    platform::FileSystem& files_;
    std::string destination_;
    std::string path_;
    std::unique_ptr<platform::File> file_;
};

// Removes from `folder` (with its trailing separator) the temporaries that killed copies left:
// names of exactly the copies' form, never a folder. One that a copy in another program still
// writes cannot be deleted and stays.
void RemoveLeftoverTemporaries(platform::FileSystem& files, const std::string& folder);

}  // namespace fileops
