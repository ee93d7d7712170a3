// An open file of the POSIX backend.
#pragma once

#include "platform/platform.h"
#include "platform/posix/file_info.h"

namespace platform::posix {

class PosixFile : public File {
public:
    explicit PosixFile(Fd fd) : fd_(std::move(fd)) {}
    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    bool flush() override;
    std::optional<uint32_t> lastWriteDos() override;
    bool setLastWriteDos(uint32_t dosTime) override;

private:
    Fd fd_;
};

// Opens an existing file (not a folder) for reading; null on failure.
std::unique_ptr<File> openForReading(const std::string& nativePath);
// Creates or empties a file for writing; a read-only file is refused as Windows refuses it.
std::unique_ptr<File> createOrTruncate(const std::string& nativePath);

}  // namespace platform::posix
