// Both copies of the POSIX backend, the engine's steps (File::copyTo) and the platform's own
// copyFile, under each answer that kernels and file systems give to the in-kernel copy: every
// refusal, and a 0 long before the end, must still give the whole file, by reading and writing.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/syscall.h>

#include <cerrno>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "support/syscall_answers.h"
#include "support/temp_dir.h"

namespace {

constexpr int kNfsNotSupported = 524;  // what NFS answers where the server cannot copy

// The engine's way: steps of 256 KiB through the file interface until the end. True when whole.
bool CopyInSteps(platform::FileSystem& files, const std::string& from, const std::string& to) {
    std::unique_ptr<platform::File> input = files.openRead(from), output = files.createExclusive(to);
    if (!input || !output) return false;
    std::vector<char> buffer(256 << 10);
    for (;;) {
        const platform::Transfer step = input->copyTo(*output, buffer.data(), static_cast<int64_t>(buffer.size()));
        if (step.read < 0 || step.written < step.read) return false;
        if (step.read == 0) return true;
    }
}

TEST(PosixKernelCopy, AnyRefusalOrEarlyEndFallsBackToReadingAndWriting) {
    if (!testing_support::CanAnswerSystemCalls()) GTEST_SKIP() << "this machine does not let a test filter system calls";
    testing_support::TempDir dir;
    std::string content(600 << 10, '\0');  // more than two steps
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
    const std::string source = dir.write("servidor.bpl", content);
    for (const int answer : {0, EPERM, kNfsNotSupported, EXDEV, EINVAL, EOPNOTSUPP, ENOSYS, EBADF, EIO}) {
        const std::optional<int> failed = testing_support::RunWithSystemCallAnswer(SYS_copy_file_range, answer, [&] {
            platform::posix::PosixFileSystem files;
            const std::string fallback = dir.folder() + "alternativa.bpl", engine = dir.folder() + "motor.bpl";
            const bool fallbackWhole = files.copyFile(source, fallback, false) && dir.read("alternativa.bpl") == content;
            const bool engineWhole = CopyInSteps(files, source, engine) && dir.read("motor.bpl") == content;
            return (fallbackWhole ? 0 : 1) | (engineWhole ? 0 : 2);
        });
        EXPECT_EQ(failed, 0) << "kernel answer " << answer << " (1: the platform's copy failed, 2: the engine's steps)";
    }
}

}  // namespace

#endif  // _WIN32
