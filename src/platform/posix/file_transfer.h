// Copying and moving files with the Windows outcomes, never leaving a half-written target.
#pragma once

#include <string>

namespace platform::posix {

// CopyFileW: content, permission bits and last-write time; fails when the target is a folder,
// is read-only, or exists and failIfExists is set. Writes a temporary file beside the target
// and renames it into place; the temporary is removed on every failure.
bool copyFileSafely(const std::string& from, const std::string& to, bool failIfExists);

// MoveFileW: fails when the target exists (a change of letter case only is allowed); across
// file systems a file is copied and then its source deleted.
bool moveWithoutReplacing(const std::string& from, const std::string& to);

// MoveFileExW with replacement: one atomic rename over the target; a read-only or folder
// target is refused.
bool moveReplacing(const std::string& from, const std::string& to);

}  // namespace platform::posix
