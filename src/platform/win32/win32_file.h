// An open file on a Win32 handle.
#pragma once

#include "platform/platform.h"
#include "platform/win32/handles.h"

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

// Size and last-write time of an open handle.
std::optional<FileStamp> stampOfHandle(HANDLE handle);

}  // namespace platform::win32
