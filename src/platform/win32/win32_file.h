// An open file on a Win32 handle.
#pragma once

#include "platform/platform.h"
#include "platform/win32/handles.h"

#include <string>

namespace platform::win32 {

class Win32File : public File {
public:
    explicit Win32File(Handle handle) : handle_(std::move(handle)) {}
    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    bool flush() override;
    std::optional<uint32_t> lastWriteDos() override;
    bool setLastWriteDos(uint32_t dosTime) override;
    std::optional<FileStamp> stamp() override;
    bool setLastWrite(int64_t fileTime) override;

private:
    Handle handle_;
};

// A file of a disk or a share opened for reading; an invalid handle (last error "access denied")
// for a pipe, a console, a device or a folder, which a name on the share may lead to and whose
// reads may wait for ever. A pipe's server never gets this program's identity.
Handle openFileForReading(const std::wstring& path, DWORD share, DWORD flags);

// Size and last-write time of an open handle.
std::optional<FileStamp> stampOfHandle(HANDLE handle);

}  // namespace platform::win32
