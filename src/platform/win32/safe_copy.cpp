#include "platform/win32/safe_copy.h"

#include "platform/win32/handles.h"

namespace platform::win32 {

namespace {

// Refuses the copy up front where CopyFileW itself would refuse it.
bool targetAccepts(const std::wstring& to, bool failIfExists) {
    const DWORD existing = GetFileAttributesW(to.c_str());
    if (existing == INVALID_FILE_ATTRIBUTES) return true;
    if (failIfExists) {
        SetLastError(ERROR_FILE_EXISTS);
        return false;
    }
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

// A new, empty, uniquely named file in the target's folder (same volume: the rename is atomic).
std::wstring makeTemporary(const std::wstring& folder) {
    wchar_t name[MAX_PATH];
    const std::wstring where = folder.empty() ? std::wstring(L".") : folder;
    if (!GetTempFileNameW(where.c_str(), L"atu", 0, name)) return {};
    return name;
}

// CopyFileW carries the source's attributes, but not onto a file that already exists everywhere
// (our temporary does): they are given explicitly.
bool takeAttributesOf(const std::wstring& from, const std::wstring& temporary) {
    constexpr DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    const DWORD wanted = attributes & settable;
    return SetFileAttributesW(temporary.c_str(), wanted ? wanted : FILE_ATTRIBUTE_NORMAL) != 0;
}

void removeTemporary(const std::wstring& temporary) {
    LastErrorKeeper keep;
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);  // the copy may carry read-only
    DeleteFileW(temporary.c_str());
}

}  // namespace

bool copyThroughTemporary(const std::wstring& from, const std::wstring& to, const std::wstring& folder,
                          bool failIfExists) {
    if (!targetAccepts(to, failIfExists)) return false;
    const std::wstring temporary = makeTemporary(folder);
    if (temporary.empty()) return false;
    if (!CopyFileW(from.c_str(), temporary.c_str(), FALSE) || !takeAttributesOf(from, temporary)) {
        removeTemporary(temporary);
        return false;
    }
    // Without replacing when the caller asked us not to: a target that appeared meanwhile wins.
    const DWORD flags = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
    if (!MoveFileExW(temporary.c_str(), to.c_str(), flags)) {
        removeTemporary(temporary);
        return false;
    }
    return true;
}

}  // namespace platform::win32
