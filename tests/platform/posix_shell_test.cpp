// Starting programs through the POSIX shell with the Windows shell's outcomes.
// The POSIX backend only: the Win32 backend has its own tests (win32_*_test.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/posix/posix_shell.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using platform::posix::splitParameters;
using testing_support::TempDir;

namespace {

// Polls for a file that a started program writes; empty when it never comes.
std::string waitForFile(const TempDir& dir, const std::string& name) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (fs::exists(dir / name)) return dir.read(name);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

std::string executable(const TempDir& dir, const std::string& name, const std::string& content) {
    std::string path = dir.write(name, content);
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return path;
}

// Writes its argument count and arguments to a marker in its current folder, atomically.
const char* kRecorder = "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > marker.tmp && mv marker.tmp marker.txt\n";

// Runs with PATH set to one folder, putting the old value back afterwards.
class PathOverride {
public:
    explicit PathOverride(const std::string& path) : old_(std::getenv("PATH") ? std::getenv("PATH") : "") {
        setenv("PATH", path.c_str(), 1);
    }
    ~PathOverride() { setenv("PATH", old_.c_str(), 1); }

private:
    std::string old_;
};

class PosixShellTest : public ::testing::Test {
protected:
    platform::posix::PosixShell shell;
    TempDir dir;
    intptr_t run(const std::string& file, const std::string& parameters, const std::string& folder) {
        return shell.execute(nullptr, "open", file, parameters, folder, platform::SW_SHOWNORMAL);
    }
};

TEST(PosixShellParameters, SplitOnBlanksWithQuotesKeepingBlanks) {
    EXPECT_TRUE(splitParameters(" ").empty());
    EXPECT_TRUE(splitParameters("").empty());
    EXPECT_EQ(splitParameters("F  design"), (std::vector<std::string>{"F", "design"}));
    EXPECT_EQ(splitParameters("\t\"C:\\Arquivos de Programas\\x\" y \"\""),
              (std::vector<std::string>{"C:\\Arquivos de Programas\\x", "y", ""}));
}

TEST_F(PosixShellTest, BareNameStartsDetachedInWorkingFolderWithArguments) {
    executable(dir, "Grava.sh", kRecorder);
    EXPECT_GT(run("GRAVA.SH", "um \"dois tres\"", dir.folder()), 32);
    // The middle process was reaped and the program belongs to init: no child of ours is left.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(waitForFile(dir, "marker.txt"), "2|um|dois tres|");
}

TEST_F(PosixShellTest, LoneBlankGivesNoArgumentsAndPathsMayUseBackslashes) {
    executable(dir, "bin/Grava.sh", kRecorder);
    fs::create_directory(dir / "work");
    EXPECT_GT(run(dir.folder() + "BIN\\grava.sh", " ", dir.folder() + "WORK\\"), 32);
    EXPECT_EQ(waitForFile(dir, "work/marker.txt"), "0|");
}

TEST_F(PosixShellTest, MissingFileFolderOrInterpreterGiveTheShellCodes) {
    EXPECT_EQ(run("NAOEXISTE.EXE", "", dir.folder()), 2);
    EXPECT_EQ(run(dir.folder() + "nada\\QOR7.EXE", "", dir.folder()), 3);
    EXPECT_EQ(run("QOR7.EXE", "", dir.folder() + "nada"), 3);
    executable(dir, "orfao.sh", "#!/nao/existe/interpretador\n");
    EXPECT_EQ(run("orfao.sh", "", dir.folder()), 2);
    executable(dir, "lixo.exe", std::string("MZ\x90\0\3\0\0\0", 8));
    EXPECT_EQ(run("lixo.exe", "", dir.folder()), 11);
    executable(dir, "ok.sh", kRecorder);
    EXPECT_EQ(shell.execute(nullptr, "print", "ok.sh", "", dir.folder(), 1), 31);
}

TEST_F(PosixShellTest, OtherFilesGoToTheDesktopOpener) {
    dir.write("relatorio.txt", "x");
    fs::create_directory(dir / "bin");
    {
        PathOverride path((dir / "bin").string());
        EXPECT_EQ(run("RELATORIO.TXT", "", dir.folder()), 31);  // no opener to be found
    }
    executable(dir, "bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > " + dir.folder() + "opened.tmp && /bin/mv " +
                                        dir.folder() + "opened.tmp " + dir.folder() + "opened.txt\n");
    PathOverride path((dir / "bin").string());
    EXPECT_GT(run("RELATORIO.TXT", "", dir.folder()), 32);
    EXPECT_EQ(waitForFile(dir, "opened.txt"), dir.folder() + "relatorio.txt");
    fs::remove(dir / "opened.txt");
    EXPECT_GT(run("explorer.exe", dir.folder() + "BIN", dir.folder()), 32);
    EXPECT_EQ(waitForFile(dir, "opened.txt"), dir.folder() + "bin");
}

// A started module keeps nothing open of the program that started it: a lock held through an
// inherited descriptor would stay taken for as long as the module runs.
TEST_F(PosixShellTest, AStartedProgramInheritsNoDescriptorBeyondTheStandardStreams) {
    const int inherited = ::open(dir.write("aberto.txt", "x").c_str(), O_RDONLY);  // no close-on-exec
    ASSERT_GE(inherited, 3);
    executable(dir, "LISTA.EXE", "#!/bin/sh\nls -l /proc/$$/fd > fds.tmp && mv fds.tmp fds.txt\n");
    EXPECT_GT(run("LISTA.EXE", " ", dir.folder()), 32);
    const std::string fds = waitForFile(dir, "fds.txt");
    ::close(inherited);
    ASSERT_NE(fds, "");
    EXPECT_EQ(fds.find("aberto.txt"), std::string::npos) << fds;
}

}  // namespace

#endif  // _WIN32
