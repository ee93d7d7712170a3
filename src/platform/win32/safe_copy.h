// A copy that never leaves a half-written target: CopyFileW writes a temporary file beside the
// target, which then replaces the target in one rename. A failure removes the temporary and
// leaves the old target exactly as it was.
#pragma once

#include <string>

namespace platform::win32 {

// CopyFileW's contract (false with the thread's last error set on failure; an existing target
// fails when failIfExists, and an existing read-only target always fails with access denied).
// folder is the target's folder with its trailing separator, or empty for the current folder.
bool copyThroughTemporary(const std::wstring& from, const std::wstring& to, const std::wstring& folder,
                          bool failIfExists);

}  // namespace platform::win32
