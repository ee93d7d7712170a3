// A copy that never leaves a half-written target, nor a mixture of two versions: CopyFileW writes
// a temporary beside the target (of the form every copy uses), which replaces the target in one
// rename only when the source was read as one version and the copy is on the disk. A failure
// removes the temporary and leaves the old target exactly as it was.
#pragma once

#include <string>

namespace platform::win32 {

// CopyFileW's contract (false with the thread's last error set on failure; an existing target
// fails when failIfExists, and an existing read-only target always fails with access denied).
// A source that changes size or time during the copy fails with a sharing violation, and so does
// one that a program is writing (writers are denied while it is copied).
bool copyThroughTemporary(const std::wstring& from, const std::wstring& to, bool failIfExists);

}  // namespace platform::win32
