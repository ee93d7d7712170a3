#include "platform/win32/safe_copy.h"

#include "platform/temporary_names.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file.h"

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

// The copy's data on the disk before it takes the target's name: after a power cut the target is
// the old file or the whole new one, never one of the right size and time full of zeros.
bool flushToDisk(const std::wstring& temporary) {
    // CopyFileW gave it the source's attributes: a read-only file cannot be opened for writing.
    if (!SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL)) return false;
    const Handle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() && FlushFileBuffers(file.get()) != 0;
}

void removeTemporary(const std::wstring& temporary) {
    LastErrorKeeper keep;
    SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);  // the copy may carry read-only
    DeleteFileW(temporary.c_str());
}

// The source was read as one version: still of the size and time it had when opened, and the
// temporary holds that many bytes.
bool readOneVersion(HANDLE source, const FileStamp& opened, const std::wstring& temporary) {
    WIN32_FILE_ATTRIBUTE_DATA copied;
    const std::optional<FileStamp> now = stampOfHandle(source);
    return now && *now == opened && GetFileAttributesExW(temporary.c_str(), GetFileExInfoStandard, &copied) &&
           ((static_cast<uint64_t>(copied.nFileSizeHigh) << 32) | copied.nFileSizeLow) == opened.size;
}

// CopyFileW onto a new temporary name; it creates the file itself and holds it without delete
// sharing while it writes. Empty when no copy was made.
std::wstring copyToNewTemporary(const std::wstring& from, const std::wstring& to) {
    constexpr int kNameAttempts = 8;  // eight random hex digits rarely meet an existing name
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring temporary = toWide(TemporaryNameFor(fromWide(to), RandomTemporaryTag()));
        if (CopyFileW(from.c_str(), temporary.c_str(), TRUE)) return temporary;
        if (GetLastError() != ERROR_FILE_EXISTS) {
            removeTemporary(temporary);  // whatever a failed copy may have left
            return {};
        }
    }
    return {};
}

}  // namespace

bool copyThroughTemporary(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    if (!targetAccepts(to, failIfExists)) return false;
    // Open for the whole copy, denying writers: a file being published fails the copy instead of
    // being read. Through it the source's size and time are compared at the end.
    const Handle source = openFileForReading(from, FILE_SHARE_READ | FILE_SHARE_DELETE, FILE_ATTRIBUTE_NORMAL);
    if (!source.valid()) return false;
    const std::optional<FileStamp> opened = stampOfHandle(source.get());
    if (!opened) return false;
    const std::wstring temporary = copyToNewTemporary(from, to);
    if (temporary.empty()) return false;
    if (!readOneVersion(source.get(), *opened, temporary)) {
        removeTemporary(temporary);
        SetLastError(ERROR_SHARING_VIOLATION);  // rewritten meanwhile: a mixture of two versions
        return false;
    }
    if (!flushToDisk(temporary) || !takeAttributesOf(from, temporary)) {
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
