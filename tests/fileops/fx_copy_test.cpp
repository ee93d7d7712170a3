// The copy of one file: blocks and progress figures, the space check, the overwrite decision,
// time and attributes, and that a failed or aborted copy leaves the old destination untouched.
#ifdef _WIN32
#include "platform/win32/win32_api.h"
#else
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>
#include <fstream>

#include "fx_fixture.h"
#include "support/running_program.h"

using namespace fileops;
using namespace fx_testing;

namespace {

std::string Bytes(size_t count) {
    std::string content(count, '\0');
    for (size_t i = 0; i < count; ++i) content[i] = static_cast<char>('a' + i % 23);
    return content;
}

}  // namespace

class CopyTest : public FileManagerTest {
protected:
    CopyTest() { fm.SetOptions(kDefaultFileOptions.With(foOverwrite)); }

    // An existing destination, older than the source, that a failed copy must leave as it was.
    FileState OldDestination() {
        Write("dest.bin", "old version");
        SetAge("dest.bin", 30);
        return State("dest.bin");
    }
    void ExpectUntouched(const FileState& before) {
        EXPECT_EQ(State("dest.bin"), before);
        EXPECT_TRUE(TemporaryFiles(dir.path()).empty());
    }
};

TEST_F(CopyTest, BlocksReportBytesAndRoundedPercentOncePerWholeBlock) {
    Write("src.bin", Bytes(20000));
    SetAge("src.bin", 3);
    int messageRounds = 0;
    fm.ProcessMessages = [&] { ++messageRounds; };
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "progress 8192 41", "progress 16384 82", "progress 20000 100", "end 0"}));
    EXPECT_EQ(messageRounds, 3);
    EXPECT_EQ(Read("dest.bin"), Bytes(20000));
    EXPECT_EQ(native->lastWriteDos(Path("dest.bin")), native->lastWriteDos(Path("src.bin")));
    EXPECT_EQ(fm.InfoSrc().Size, 20000);
    EXPECT_TRUE(TemporaryFiles(dir.path()).empty());
}

TEST_F(CopyTest, EmptySourceGivesAnEmptyDestinationWithoutProgress) {
    Write("src.bin", "");
    SetAge("src.bin", 5);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "end 0"}));
    EXPECT_TRUE(Exists("dest.bin"));
    EXPECT_EQ(Read("dest.bin"), "");
    EXPECT_EQ(native->lastWriteDos(Path("dest.bin")), native->lastWriteDos(Path("src.bin")));
}

TEST_F(CopyTest, ExactMultipleOfTheBlockEndsWithTheLastFullBlock) {
    Write("src.bin", Bytes(16384));
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "progress 8192 50", "progress 16384 100", "end 0"}));
    EXPECT_EQ(Read("dest.bin"), Bytes(16384));
}

TEST_F(CopyTest, FreeSpaceEqualToTheSizePassesOneByteLessRefuses) {
    Write("src.bin", Bytes(1000));
    const FileState before = OldDestination();
    faulty->SetFreeSpace(999);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "error 7", "end 2"}));
    ExpectUntouched(before);
    faulty->SetFreeSpace(1000);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events.back(), "end 0");
    EXPECT_EQ(Read("dest.bin"), Bytes(1000));
}

TEST_F(CopyTest, UnreadableFreeSpaceRefusesEvenAnEmptyFileButNotANetworkPath) {
    Write("src.bin", "");
    faulty->SetFreeSpace(-1);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "error 7", "end 2"}));
    EXPECT_FALSE(Exists("dest.bin"));
    EXPECT_EQ(fm.DiskFreeFor("\\\\server\\qor\\QOR7.EXE"), 2147483647);
    EXPECT_EQ(fm.DiskFreeFor(Path("dest.bin")), -1);
    fm.SetOptions(fm.Options().Without(foCheckSpace));
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_TRUE(Exists("dest.bin"));
}

TEST_F(CopyTest, ExistingDestinationWithoutOverwriteFiresTwiceWithoutHandlerOnceWithOne) {
    Write("src.bin", Bytes(100));
    const FileState before = OldDestination();
    fm.SetOptions(kDefaultFileOptions);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "error 10", "error 10", "end 2"}));
    ExpectUntouched(before);

    events.clear();
    bool answer = false;
    fm.OnOverwrite = [&](TFxFileManager&, bool& canOverwrite) {
        events.push_back("overwrite?");
        canOverwrite = answer;
    };
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "overwrite?", "error 10", "end 2"}));
    ExpectUntouched(before);

    answer = true;
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(Read("dest.bin"), Bytes(100));
}

TEST_F(CopyTest, ReadOnlyDestinationIsReplacedAndTakesTheSourceAttributes) {
    Write("src.bin", "new");
    Write("dest.bin", "old");
    MakeReadOnly("dest.bin");
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events.back(), "end 0");
    EXPECT_EQ(Read("dest.bin"), "new");
    EXPECT_EQ(*native->attributes(Path("dest.bin")) & platform::attr::ReadOnly, 0u);

    MakeReadOnly("src.bin");
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_NE(*native->attributes(Path("dest.bin")) & platform::attr::ReadOnly, 0u);
    fm.SetOptions(fm.Options().Without(foCopyAttr));
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(*native->attributes(Path("dest.bin")) & platform::attr::ReadOnly, 0u);
}

TEST_F(CopyTest, ShortWriteKeepsTheOldDestinationWhole) {
    Write("src.bin", Bytes(20000));
    const FileState before = OldDestination();
    MakeReadOnly("dest.bin");
    const FileState readOnly = State("dest.bin");
    faulty->ShortWriteAtBlock(2);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "progress 8192 41", "error 6", "end 2"}));
    EXPECT_EQ(State("dest.bin"), readOnly);
    EXPECT_TRUE(TemporaryFiles(dir.path()).empty());
    EXPECT_EQ(before.content, readOnly.content);
}

TEST_F(CopyTest, AbortAtABlockKeepsTheOldDestinationWhole) {
    Write("src.bin", Bytes(5 * 8192));
    const FileState before = OldDestination();
    fm.OnProgress = [&](TFxFileManager& sender) {
        events.push_back("progress " + std::to_string(sender.BytesProc()));
        if (sender.BytesProc() == 2 * 8192) sender.Abort();
    };
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "progress 8192", "progress 16384", "end 3"}));
    EXPECT_EQ(fm.BytesProc(), 16384);
    ExpectUntouched(before);
}

TEST_F(CopyTest, LockedDestinationIsReportedAsExistingAndStaysWhole) {
    Write("src.bin", Bytes(9000));
    const FileState before = OldDestination();
    faulty->Lock("dest.bin");
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "progress 8192 91", "progress 9000 100", "error 10", "end 2"}));
    ExpectUntouched(before);
    // A read-only source makes the temporary read-only before the replace is refused: it goes all the same.
    MakeReadOnly("src.bin");
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    ExpectUntouched(before);
}

// A source whose read ends early while its size and time stay the same (a share that drops the
// end of a file) was not read whole: the copy is never installed.
TEST_F(CopyTest, ASourceReadThatEndsEarlyIsNeverInstalled) {
    Write("src.bin", Bytes(20000));
    const FileState before = OldDestination();
    faulty->EndReadAtBlock(2);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "progress 8192 41", "error 4", "end 2"}));
    ExpectUntouched(before);
}

TEST_F(CopyTest, UnreadableSourceOrFailedReadLeavesTheDestination) {
    Write("src.bin", Bytes(20000));
    const FileState before = OldDestination();
    faulty->MakeUnreadable("src.bin");
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(events, (Events{"start", "error 4", "end 2"}));
    ExpectUntouched(before);

    events.clear();
    auto reading = std::make_shared<testing_support::FaultyFileSystem>(native);
    reading->FailReadAtBlock(2);
    TFxFileManager second(reading);
    second.SetOptions(fm.Options());
    second.OnError = fm.OnError;
    second.OnEnd = fm.OnEnd;
    second.SetSource(Path("src.bin"));
    second.SetDestination(Path("dest.bin"));
    EXPECT_TRUE(second.Execute());
    EXPECT_EQ(events, (Events{"error 4", "end 2"}));
    ExpectUntouched(before);
}

// The server file changes in place while it is copied, as a share's publisher writes a new version:
// rewritten with the same size, cut short, grown. The copy must not stand as a mixture. Windows
// refuses the publisher while the copy reads: the copy stands as the version it read.
TEST_F(CopyTest, ASourceThatChangesDuringItsCopyIsNeverInstalled) {
    for (const size_t changedSize : {20000u, 9000u, 30000u}) {
        Write("src.bin", Bytes(20000));
        SetAge("src.bin", 3);
        const FileState before = OldDestination();
        events.clear();
        bool refused = false;
        fm.OnProgress = [&](TFxFileManager& sender) {
            if (sender.BytesProc() != 8192) return;
            std::fstream source(dir / "src.bin", std::ios::in | std::ios::out | std::ios::binary);
            refused = !source.is_open();
            if (refused) return;
            source << std::string(changedSize, 'Z');
            source.close();
            fs::resize_file(dir / "src.bin", changedSize);
        };
        EXPECT_TRUE(Run("src.bin", "dest.bin"));
#ifdef _WIN32
        EXPECT_TRUE(refused);
        EXPECT_EQ(Read("dest.bin"), Bytes(20000));
        Write("src.bin", std::string(changedSize, 'Z'));  // published once the copy is over
#else
        EXPECT_EQ(events, (Events{"start", "error 4", "end 2"})) << changedSize;
        ExpectUntouched(before);
#endif
    }
    fm.OnProgress = nullptr;
    EXPECT_TRUE(Run("src.bin", "dest.bin"));  // settled: copied whole
    EXPECT_EQ(Read("dest.bin"), std::string(30000, 'Z'));
}

// A run killed during a copy leaves "~<name>.<tag>.tmp" behind: the next copy into that folder
// removes such leftovers, but no other name, no folder, and no temporary that is still being
// written (open, shared with nobody, as a copy running in another program holds it).
TEST_F(CopyTest, LeftoversOfKilledCopiesGoBeforeTheFirstCopyIntoTheirFolder) {
    Write("src.bin", "novo");
    const std::vector<std::string> leftovers = {"~dest.bin.0123abcd.tmp", "~OUTRO.EXE.ffffffff.tmp",
                                                "~ro.dll.00000000.tmp", "~a.0123abcd.tmp"};
    const std::vector<std::string> others = {"~outra.dll.0123ABCD.tmp", "~dest.bin.123abcd.tmp", "~.0123abcd.tmp",
                                             "x~dest.bin.0123abcd.tmp", "~dest.bin0123abcd.tmp", "~dest.bin.tmp",
                                             "~a.0123abcg.tmp", "~b.0123abcd.TMP", "~a_0123abcd.tmp"};
    for (const auto& name : leftovers) Write(name, "resto");
    for (const auto& name : others) Write(name, "outro");
    MakeReadOnly("~ro.dll.00000000.tmp");  // killed after the attributes step
    fs::create_directory(dir / "~pasta.0123abcd.tmp");
    std::unique_ptr<platform::File> writing = native->createExclusive(Path("~vivo.exe.89abcdef.tmp"));
    ASSERT_TRUE(writing);

    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    for (const auto& name : leftovers) EXPECT_FALSE(Exists(name)) << name;
    for (const auto& name : others) EXPECT_TRUE(Exists(name)) << name;
    EXPECT_TRUE(Exists("~pasta.0123abcd.tmp"));
    EXPECT_TRUE(Exists("~vivo.exe.89abcdef.tmp"));
    EXPECT_EQ(Read("dest.bin"), "novo");
    writing.reset();
    Write("~dest.bin.0123abcd.tmp", "de novo");
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_TRUE(Exists("~dest.bin.0123abcd.tmp"));  // one sweep per folder and component
}

// A program running from the destination. Windows refuses to replace a running program's file:
// the old version stays whole and the error is the one of a locked file. POSIX systems replace the
// name while the program runs on from its old file.
// Named unlike any suite module: an update run elsewhere on the machine would end a QOR7.EXE.
TEST_F(CopyTest, ProgramRunningFromTheDestination) {
    testing_support::RunningProgram program(Path("MODULO.exe"));
    ASSERT_TRUE(program.started());
    const FileState before = State("MODULO.exe");
    Write("server/MODULO.exe", "new version");
    EXPECT_TRUE(Run("server/MODULO.exe", "MODULO.exe"));
#ifdef _WIN32
    EXPECT_EQ(events, (Events{"start", "progress 11 100", "error 10", "end 2"}));
    EXPECT_EQ(State("MODULO.exe"), before);
#else
    EXPECT_EQ(events, (Events{"start", "progress 11 100", "end 0"}));
    EXPECT_EQ(Read("MODULO.exe"), "new version");
#endif
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(TemporaryFiles(dir.path()).empty());
}

TEST_F(CopyTest, HandlerExceptionLeavesExecuteAndCleansUp) {
    Write("src.bin", Bytes(20000));
    const FileState before = OldDestination();
    fm.OnProgress = [](TFxFileManager&) { throw std::runtime_error("window gone"); };
    EXPECT_THROW(Run("src.bin", "dest.bin"), std::runtime_error);
    EXPECT_EQ(events, Events{"start"});
    ExpectUntouched(before);
}

TEST_F(CopyTest, TemporaryIsFlushedOnceBeforeItReplacesTheDestination) {
    Write("src.bin", Bytes(100));
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(faulty->FlushCalls(), 1);
    fm.SetFlushBeforeReplace(false);
    EXPECT_TRUE(Run("src.bin", "dest2.bin"));
    EXPECT_EQ(faulty->FlushCalls(), 1);
}

// A source beyond 2 GiB, sparse so that nothing is stored, with writes discarded: the figures
// are 64-bit and never negative.
TEST_F(CopyTest, SourceBeyondTwoGibibytesCountsIn64Bits) {
    const int64_t size = (int64_t{2} << 30) + 20000;
    {
        std::ofstream(dir / "big.bin");
    }
    fs::resize_file(dir / "big.bin", static_cast<uintmax_t>(size));
    faulty->DiscardWrites();
    faulty->SetFreeSpace(size);
    int64_t last = 0;
    int blocks = 0;
    bool ordered = true;
    fm.OnProgress = [&](TFxFileManager& sender) {
        ordered = ordered && sender.BytesProc() > last && sender.Progress() >= 0 && sender.Progress() <= 100;
        last = sender.BytesProc();
        ++blocks;
    };
    EXPECT_TRUE(Run("big.bin", "copy.bin"));
    EXPECT_EQ(events.back(), "end 0");
    EXPECT_EQ(fm.BytesCount(), size);
    EXPECT_EQ(fm.InfoSrc().Size, size);
    EXPECT_EQ(fm.BytesProc(), size);
    EXPECT_EQ(fm.Progress(), 100);
    EXPECT_EQ(faulty->BytesDiscarded(), size);
    EXPECT_EQ(blocks, (size + 8191) / 8192);
    EXPECT_TRUE(ordered);
}

// A real file system that fills up while the copy writes.
TEST_F(CopyTest, FullFileSystemKeepsTheOldDestinationWhole) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows gives a test no small volume to fill (no tmpfs); the space check and a short "
                    "write are covered through the fault layer above";
#else
    const fs::path mountPoint = dir / "small";
    fs::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a 1 MiB tmpfs here (" << std::strerror(errno) << ")";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{mountPoint};

    Write("src.bin", Bytes(2 << 20));
    Write("small/dest.bin", Bytes(300 * 1024));
    fs::last_write_time(mountPoint / "dest.bin", fs::file_time_type::clock::now() - std::chrono::hours(72));
    const FileState before = State("small/dest.bin");
    fm.SetOptions(fm.Options().Without(foCheckSpace));
    EXPECT_TRUE(Run("src.bin", "small/dest.bin"));
    EXPECT_EQ(events.back(), "end 2");
    EXPECT_EQ(events[events.size() - 2], "error 6");
    EXPECT_EQ(State("small/dest.bin"), before);
    EXPECT_TRUE(TemporaryFiles(mountPoint).empty());
#endif
}

#ifdef _WIN32
// Windows starts a program by its name and content, not by a permission: the copy of a real
// program (this test program) must run.
TEST_F(CopyTest, ProgramCopiedFromTheServerStillStarts) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    fs::copy_file(self, dir / "server.exe");
    EXPECT_TRUE(Run("server.exe", "MODULO.exe"));
    EXPECT_EQ(events.back(), "end 0");

    const std::wstring program = (dir / "MODULO.exe").wstring();
    std::wstring command = L"\"" + program + L"\" --gtest_list_tests --gtest_filter=-*";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &child));
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 1234;
    GetExitCodeProcess(child.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}
#else
TEST_F(CopyTest, ProgramCopiedFromTheServerStillStarts) {
    Write("src.bin", "#!/bin/sh\n");
    std::filesystem::permissions(Path("src.bin"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    auto perms = std::filesystem::status(Path("dest.bin")).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);

    // Never setuid, setgid or sticky: whoever writes on the share would run with this run's rights.
    std::filesystem::permissions(Path("src.bin"), std::filesystem::perms::set_uid | std::filesystem::perms::set_gid |
                                                      std::filesystem::perms::sticky_bit,
                                 std::filesystem::perm_options::add);
    EXPECT_TRUE(Run("src.bin", "dest.bin"));
    EXPECT_EQ(std::filesystem::status(Path("dest.bin")).permissions(),
              std::filesystem::status(Path("src.bin")).permissions() &
                  ~(std::filesystem::perms::set_uid | std::filesystem::perms::set_gid | std::filesystem::perms::sticky_bit));
}
#endif
