#include "platform/win32/win32_file.h"

#include "platform/win32/file_times.h"

#include <algorithm>

namespace platform::win32 {

namespace {
// ReadFile and WriteFile take 32-bit counts; larger requests go in pieces.
constexpr int64_t kMaxChunk = 1 << 30;
}  // namespace

int64_t Win32File::read(void* buffer, int64_t count) {
    if (count < 0) return -1;
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min(count, kMaxChunk));
    if (!ReadFile(handle_.get(), buffer, wanted, &got, nullptr)) return -1;
    return got;
}

int64_t Win32File::write(const void* buffer, int64_t count) {
    if (count < 0) return -1;
    const auto* bytes = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        DWORD wrote = 0;
        const auto piece = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        const bool ok = WriteFile(handle_.get(), bytes + done, piece, &wrote, nullptr) != 0;
        done += wrote;
        if (!ok || wrote == 0) return done > 0 ? done : -1;
    }
    return done;
}

bool Win32File::flush() { return FlushFileBuffers(handle_.get()) != 0; }

std::optional<uint32_t> Win32File::lastWriteDos() {
    FILETIME written;
    if (!GetFileTime(handle_.get(), nullptr, nullptr, &written)) return std::nullopt;
    return dosFromFileTime(written);
}

bool Win32File::setLastWriteDos(uint32_t dosTime) {
    const auto utc = fileTimeFromDos(dosTime);
    return utc && SetFileTime(handle_.get(), nullptr, nullptr, &*utc) != 0;
}

std::optional<FileStamp> Win32File::stamp() { return stampOfHandle(handle_.get()); }

bool Win32File::setLastWrite(int64_t fileTime) {
    const FILETIME written = fileTimeOfTicks(fileTime);
    return SetFileTime(handle_.get(), nullptr, nullptr, &written) != 0;
}

Handle openFileForReading(const std::wstring& path, DWORD share, DWORD flags) {
    Handle handle(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              flags | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS, nullptr));
    if (!handle.valid()) return handle;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle.get()) == FILE_TYPE_DISK && GetFileInformationByHandle(handle.get(), &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return handle;
    handle.reset();
    SetLastError(ERROR_ACCESS_DENIED);
    return handle;
}

std::optional<FileStamp> stampOfHandle(HANDLE handle) {
    LARGE_INTEGER size;
    FILETIME written;
    if (!GetFileSizeEx(handle, &size) || !GetFileTime(handle, nullptr, nullptr, &written)) return std::nullopt;
    return FileStamp{static_cast<uint64_t>(size.QuadPart), ticksOf(written)};
}

}  // namespace platform::win32
