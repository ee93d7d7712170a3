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
    // Inside the kernel between two files of this backend (copy_file_range); through the buffer
    // where it cannot (another file system, an old kernel), which also reports its failures.
    Transfer copyTo(File& destination, void* buffer, int64_t count) override;
    void startFlush() override;
    std::optional<uint32_t> lastWriteDos() override;
    bool setLastWriteDos(uint32_t dosTime) override;
    std::optional<FileStamp> stamp() override;
    bool setLastWrite(int64_t fileTime) override;

private:
    Fd fd_;
    bool kernelCopy_ = true;  // until the kernel refuses these two files
};

// One step of the kernel's own copy between two descriptors (copy_file_range): the bytes it moved,
// or none when it moved nothing. Whatever the refusal, and an answer of 0 (which some file systems
// give before the end), the rest is left to plain reads and writes: they tell a real end of file
// from a real failure. The one policy of every copy of this backend.
std::optional<size_t> kernelCopyStep(int from, int to, size_t count);

// A regular file opened for reading, never waiting in the open: a named pipe (whose open waits
// for a writer), a socket or a device named like a file gives an empty Fd, as a missing file does.
// `st` receives the file's status.
Fd openRegular(const std::string& nativePath, struct stat& st);
// Opens an existing regular file for reading (openRegular); null on failure.
std::unique_ptr<File> openForReading(const std::string& nativePath);
// The same, refused while a program writes the file (holds the exclusive lock below).
std::unique_ptr<File> openForReadingDenyWrite(const std::string& nativePath);
// Creates or empties a file for writing; a read-only file is refused as Windows refuses it. The
// file stays under an exclusive advisory lock (flock) while open, which stands in for Windows'
// sharing: another program's delete (see lockForRemoval) and a second writer are refused.
std::unique_ptr<File> createOrTruncate(const std::string& nativePath);
// The lock of a file about to be removed, held until the name is gone; none when a program holds
// it (writes the file) or when it cannot be tested (the file cannot be opened: another user's).
// A file that is gone gives an empty Fd: nothing to respect.
std::optional<Fd> lockForRemoval(const std::string& nativePath);

// An exclusive flock on the file, created when missing (never emptied); the descriptor is closed
// in the programs this one starts, so that the lock ends with this program.
LockResult lockFile(const std::string& nativePath);
// Takes the lock on a file just opened (or made) at nativePath; false when another program holds
// it, or when the name no longer leads to this file (removed between the open and the lock).
bool lockAsWriter(int fd, const std::string& nativePath);
// Opens a file for writing at its end, creating it when missing; read-only files are refused.
std::unique_ptr<File> openForAppending(const std::string& nativePath);

}  // namespace platform::posix
