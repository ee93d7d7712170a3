// The POSIX file system on real temporary folders: it must answer as a Windows one would.
// The POSIX backend only: the Win32 backend has its own tests (win32_*_test.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/dos_time.h"
#include "platform/platform.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_system.h"
#include "support/environment.h"
#include "support/nao_regulares.h"
#include "support/syscall_answers.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using platform::DirEntry;
using testing_support::TempDir;

namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
    platform::posix::PosixFileSystem files;
    TempDir dir;

    std::string at(const std::string& relative) const { return dir.folder() + relative; }
    // The same path written the Windows way, with backslashes after the temporary folder.
    std::string windowsForm(std::string relative) const {
        std::replace(relative.begin(), relative.end(), '/', '\\');
        return dir.folder() + relative;
    }
    std::vector<std::string> names(const std::vector<DirEntry>& entries) const {
        std::vector<std::string> out;
        for (const auto& e : entries) out.push_back(e.name);
        return out;
    }
    std::vector<std::string> folderListing() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir.path())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    uint32_t dos(int y, int mo, int d, int h, int mi, int s) const {
        return *platform::packDosDateTime({y, mo, d, h, mi, s});
    }
    void setTime(const std::string& path, uint32_t dosTime) {
        auto file = files.openRead(path);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->setLastWriteDos(dosTime));
    }
};

TEST_F(PosixFileSystemTest, ResolvesEveryComponentIgnoringCaseWithEitherSeparator) {
    dir.write("Sub/Folder/abc.TXT", "x");
    EXPECT_TRUE(files.fileExists(windowsForm("SUB/folder/ABC.txt")));
    EXPECT_TRUE(files.dirExists(windowsForm("sub/FOLDER")));
    EXPECT_FALSE(files.fileExists(windowsForm("sub/FOLDER")));
    EXPECT_FALSE(files.dirExists(windowsForm("sub/folder/abc.txt")));
    EXPECT_FALSE(files.fileExists(at("sub/other/abc.txt")));
    EXPECT_EQ(files.fileSize(at("SUB\\FOLDER\\ABC.TXT")), 1u);
}

TEST_F(PosixFileSystemTest, NewFileTakesNameAsWrittenInsideTheExistingFolder) {
    dir.write("Progs/keep.txt", "");
    {
        auto file = files.createExclusive(windowsForm("PROGS/NovoArq.DAT"));
        ASSERT_TRUE(file);
        EXPECT_EQ(file->write("abc", 3), 3);
    }
    EXPECT_EQ(dir.read("Progs/NovoArq.DAT"), "abc");
    EXPECT_FALSE(fs::exists(dir / "PROGS"));
}

TEST_F(PosixFileSystemTest, ReplacingDifferentCaseNameReplacesTheExistingEntry) {
    dir.write("qor7.exe", "old");
    std::string source = dir.write("src/QOR7.EXE", "new");
    ASSERT_TRUE(files.copyFile(source, at("QOR7.EXE"), false));
    EXPECT_EQ(dir.read("qor7.exe"), "new");
    EXPECT_FALSE(fs::exists(dir / "QOR7.EXE"));
    EXPECT_FALSE(files.copyFile(source, at("QOR7.EXE"), true));  // it exists, whatever its case
}

TEST_F(PosixFileSystemTest, FindMatchesWildcardsInTheLastComponentIgnoringCase) {
    for (const char* name : {"ABC7.BPL", "x7.bpl", "abc7.bplx", "abc6.bpl", "QOR7", "QOR7.EXE", "QOR77.EXE"})
        dir.write(std::string("Pkg/") + name, "");
    EXPECT_EQ(names(files.find(windowsForm("pkg/*7.bpl"))), (std::vector<std::string>{"ABC7.BPL", "x7.bpl"}));
    EXPECT_EQ(names(files.find(windowsForm("PKG/QOR7*"))),
              (std::vector<std::string>{"QOR7", "QOR7.EXE", "QOR77.EXE"}));  // "*" matches none too
    EXPECT_EQ(names(files.find(windowsForm("pkg/qor?.exe"))), (std::vector<std::string>{"QOR7.EXE"}));
    EXPECT_EQ(names(files.find(windowsForm("pkg/qor7.*"))), (std::vector<std::string>{"QOR7", "QOR7.EXE"}));
    EXPECT_EQ(files.find(windowsForm("pkg/*")).size(), 7u);
    EXPECT_EQ(files.find(windowsForm("pkg/*.*")).size(), 7u);
    EXPECT_TRUE(files.find(windowsForm("pkg/*.dll")).empty());
    EXPECT_TRUE(files.find(windowsForm("missing/*")).empty());
}

TEST_F(PosixFileSystemTest, FindWithoutWildcardsReportsTheOneEntryAsTheFolderSpellsIt) {
    dir.write("Modulos.Dat", "12345");
    auto found = files.find(at("MODULOS.DAT"));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Modulos.Dat");
    EXPECT_EQ(found[0].size, 5u);
    EXPECT_EQ(found[0].attributes, platform::attr::Archive);
    EXPECT_TRUE(files.find(at("NADA.DAT")).empty());
}

TEST_F(PosixFileSystemTest, FindReportsEveryKindOfEntryWithItsAttributes) {
    dir.write("plain.txt", "abc");
    dir.write(".hidden", "");
    fs::create_directory(dir / "Folder");
    fs::create_symlink(dir / "plain.txt", dir / "link.txt");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    auto entries = files.find(at("*"));
    ASSERT_EQ(names(entries), (std::vector<std::string>{".hidden", "dangling", "Folder", "link.txt", "plain.txt"}));
    using namespace platform::attr;
    EXPECT_EQ(entries[0].attributes, Hidden | Archive);
    EXPECT_EQ(entries[1].attributes, ReparsePoint);
    EXPECT_EQ(entries[2].attributes, Directory);
    EXPECT_EQ(entries[2].size, 0u);
    EXPECT_EQ(entries[3].attributes, ReparsePoint | Archive);
    EXPECT_EQ(entries[3].size, 3u);  // the target's size
    EXPECT_EQ(entries[4].attributes, Archive);
    EXPECT_EQ(files.attributes(at("LINK.TXT")), ReparsePoint | Archive);
    EXPECT_EQ(files.attributes(at("folder")), Directory);
    EXPECT_FALSE(files.attributes(at("none")).has_value());
}

TEST_F(PosixFileSystemTest, ReadOnlyIsTheOwnerWriteBit) {
    std::string path = dir.write("a.bpl", "");
    fs::permissions(path, fs::perms::group_write | fs::perms::others_write, fs::perm_options::add);
    ASSERT_TRUE(files.setAttributes(path, platform::attr::ReadOnly | platform::attr::Hidden));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(files.attributes(path), platform::attr::ReadOnly | platform::attr::Archive);
    ASSERT_TRUE(files.setAttributes(path, platform::attr::Archive));
    EXPECT_EQ(files.attributes(path), platform::attr::Archive);
    EXPECT_FALSE(files.setAttributes(at("none"), 0));
}

TEST_F(PosixFileSystemTest, DeleteRefusesReadOnlyFilesAndFolders) {
    std::string locked = dir.write("locked.dll", "");
    std::string free = dir.write("free.dll", "");
    fs::create_directory(dir / "Folder");
    ASSERT_TRUE(files.setAttributes(locked, platform::attr::ReadOnly));
    EXPECT_FALSE(files.deleteFile(locked));
    EXPECT_TRUE(fs::exists(locked));
    EXPECT_FALSE(files.deleteFile(at("folder")));
    EXPECT_TRUE(fs::exists(dir / "Folder"));
    EXPECT_TRUE(files.deleteFile(at("FREE.DLL")));
    EXPECT_FALSE(fs::exists(free));
    EXPECT_FALSE(files.deleteFile(at("FREE.DLL")));
    ASSERT_TRUE(files.setAttributes(locked, 0));
    EXPECT_TRUE(files.deleteFile(locked));
}

TEST_F(PosixFileSystemTest, MoveNeverReplacesButReplaceDoes) {
    std::string a = dir.write("a.txt", "A");
    std::string b = dir.write("b.txt", "B");
    EXPECT_FALSE(files.moveFile(a, at("B.TXT")));
    EXPECT_EQ(dir.read("a.txt"), "A");
    EXPECT_EQ(dir.read("b.txt"), "B");
    EXPECT_TRUE(files.moveFile(at("A.TXT"), at("c.txt")));
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"b.txt", "c.txt"}));
    EXPECT_TRUE(files.moveFile(at("c.txt"), at("C.TXT")));  // a change of case only
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"C.TXT", "b.txt"}));
    EXPECT_TRUE(files.replaceFile(at("c.txt"), at("B.TXT")));
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"b.txt"}));
    EXPECT_EQ(dir.read("b.txt"), "A");
    EXPECT_FALSE(files.moveFile(at("none"), at("d.txt")));
}

// A second name costs no copy and outlives the first being replaced; it never replaces a name.
TEST_F(PosixFileSystemTest, ALinkIsASecondNameThatKeepsTheOldFileWhenTheFirstIsReplaced) {
    dir.write("m.exe", "velho");
    dir.write("outro", "outro");
    EXPECT_TRUE(files.linkFile(windowsForm("m.exe"), at("M2.EXE")));
    EXPECT_EQ(dir.read("M2.EXE"), "velho");
    EXPECT_FALSE(files.linkFile(at("m.exe"), at("OUTRO")));  // an existing name, in any case
    EXPECT_FALSE(files.linkFile(at("nenhum"), at("n2")));
    EXPECT_EQ(dir.read("outro"), "outro");
    dir.write("novo", "novo");
    ASSERT_TRUE(files.replaceFile(at("novo"), at("m.exe")));
    EXPECT_EQ(dir.read("m.exe"), "novo");
    EXPECT_EQ(dir.read("M2.EXE"), "velho");
}

TEST_F(PosixFileSystemTest, ReplaceRefusesReadOnlyTargetAsWindowsDoes) {
    std::string a = dir.write("a.txt", "A");
    std::string b = dir.write("b.txt", "B");
    ASSERT_TRUE(files.setAttributes(b, platform::attr::ReadOnly));
    EXPECT_FALSE(files.replaceFile(a, b));
    EXPECT_EQ(dir.read("b.txt"), "B");
    EXPECT_EQ(dir.read("a.txt"), "A");
}

TEST_F(PosixFileSystemTest, CopyKeepsContentExecutableBitAndTime) {
    std::string program = dir.write("server/MODULO.EXE", std::string(100000, 'z'));
    fs::permissions(program, fs::perms::owner_exec | fs::perms::group_exec, fs::perm_options::add);
    uint32_t when = dos(2021, 6, 15, 13, 45, 30);
    setTime(program, when);
    fs::create_directory(dir / "terminal");
    ASSERT_TRUE(files.copyFile(windowsForm("SERVER/modulo.exe"), windowsForm("terminal/MODULO.EXE"), true));
    EXPECT_EQ(dir.read("terminal/MODULO.EXE"), std::string(100000, 'z'));
    EXPECT_EQ(fs::status(dir / "terminal/MODULO.EXE").permissions(), fs::status(program).permissions());
    EXPECT_EQ(files.lastWriteDos(at("terminal/modulo.exe")), when);
    EXPECT_EQ(names(files.find(at("terminal/*"))), (std::vector<std::string>{"MODULO.EXE"}));

    // Whoever can write on the share must not install a program that runs with this run's rights.
    ASSERT_EQ(chmod(program.c_str(), 07755), 0);
    ASSERT_TRUE(files.copyFile(program, at("terminal/MODULO.EXE"), false));
    struct stat copied;
    ASSERT_EQ(stat(at("terminal/MODULO.EXE").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0755u);
}

TEST_F(PosixFileSystemTest, CopyRefusalsLeaveTargetAndFolderUntouched) {
    std::string source = dir.write("new.dll", "new");
    std::string target = dir.write("old.dll", "old");
    EXPECT_FALSE(files.copyFile(source, target, true));
    ASSERT_TRUE(files.setAttributes(target, platform::attr::ReadOnly));
    EXPECT_FALSE(files.copyFile(source, target, false));
    EXPECT_FALSE(files.copyFile(at("missing.dll"), at("x.dll"), false));
    EXPECT_FALSE(files.copyFile(source, source, false));
    EXPECT_EQ(dir.read("old.dll"), "old");
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"new.dll", "old.dll"}));
}

TEST_F(PosixFileSystemTest, CopyFailingMidwayRemovesItsTemporaryFile) {
    dir.write("old.dll", "old");
    // Reading our own memory from address 0 fails after the source opened as a regular file.
    EXPECT_FALSE(files.copyFile("/proc/self/mem", at("old.dll"), false));
    EXPECT_EQ(dir.read("old.dll"), "old");
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"old.dll"}));
}

TEST_F(PosixFileSystemTest, DosTimesRoundTripAndOutOfRangeGivesNone) {
    std::string path = dir.write("t.dat", "");
    for (uint32_t when : {dos(1980, 1, 1, 0, 0, 0), dos(2003, 1, 20, 8, 5, 2), dos(2024, 7, 1, 23, 59, 58)}) {
        setTime(path, when);
        EXPECT_EQ(files.lastWriteDos(path), when);
        EXPECT_EQ(files.find(path).at(0).dosTime, when);
    }
    struct timespec times[2] = {{0, UTIME_OMIT}, {86400 * 365, 0}};  // 1971
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_FALSE(files.lastWriteDos(path).has_value());
    EXPECT_FALSE(files.find(path).at(0).dosTime.has_value());
    EXPECT_FALSE(files.lastWriteDos(at("none")).has_value());
}

// A time zone for the length of a test, given as a rule so that no zone files are needed.
class LocalZone {
public:
    explicit LocalZone(const char* rule) : saved_(std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt) {
        testing_support::SetEnv("TZ", rule);
        tzset();
    }
    ~LocalZone() {
        testing_support::SetEnv("TZ", saved_ ? saved_->c_str() : nullptr);
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

// Through both clock changes of a year (New York's rules), file times read in the DOS form keep
// the order of their instants, and a time set from a DOS time reads back as that DOS time: a copy
// stays current, and a server file written later is found newer even across the autumn hour that
// happens twice (01:50 summer time, then 01:20 winter time 1,800 s later).
TEST_F(PosixFileSystemTest, DosTimesKeepTheInstantsOrderThroughClockChanges) {
    const LocalZone newYork("EST5EDT,M3.2.0,M11.1.0");
    const std::string path = dir.write("t.dat", "");
    const auto readAt = [&](time_t seconds) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
        EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        return files.lastWriteDos(path).value_or(0);
    };
    const time_t autumnSummer0150 = 1762062600, springChange = 1741503600;
    EXPECT_GT(readAt(autumnSummer0150 + 1800), readAt(autumnSummer0150));
    for (const time_t change : {autumnSummer0150, springChange}) {
        uint32_t previous = 0;
        for (time_t at = change - 7200; at <= change + 7200; at += 10) {
            const uint32_t now = readAt(at);
            ASSERT_GT(now, previous) << at;
            setTime(path, now);
            ASSERT_EQ(files.lastWriteDos(path), now) << at;
            previous = now;
        }
    }
}

TEST_F(PosixFileSystemTest, FreeSpaceOfNearestExistingFolder) {
    EXPECT_GT(files.freeSpace(at("not/yet/created/file.exe")), 0);
    EXPECT_GT(files.freeSpace(dir.folder()), 0);
    EXPECT_EQ(files.freeSpace(at(std::string(300, 'n') + "/file.exe")), -1);  // name too long to query
}

TEST_F(PosixFileSystemTest, FilesReadWriteAndCloseOnEveryPath) {
    {
        auto out = files.createExclusive(at("data.bin"));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->write("hello", 5), 5);
        EXPECT_TRUE(out->flush());
    }
    {
        auto out = files.createExclusive(at("DATA.BIN"));  // emptied, same entry
        ASSERT_TRUE(out);
        EXPECT_EQ(out->write("hi", 2), 2);
    }
    auto in = files.openRead(at("Data.Bin"));
    ASSERT_TRUE(in);
    char buffer[8];
    EXPECT_EQ(in->read(buffer, sizeof buffer), 2);
    EXPECT_EQ(in->read(buffer, sizeof buffer), 0);
    EXPECT_EQ(folderListing(), (std::vector<std::string>{"data.bin"}));
    EXPECT_FALSE(files.openRead(at("none")));
    EXPECT_FALSE(files.openRead(dir.folder()));
    ASSERT_TRUE(files.setAttributes(at("data.bin"), platform::attr::ReadOnly));
    EXPECT_FALSE(files.createExclusive(at("data.bin")));
}

// A pipe, a socket or a device under a file's name on the share is never read, and nothing waits
// for a writer that never comes: each open, copy and settings read is refused at once.
TEST_F(PosixFileSystemTest, NothingButARegularFileIsOpenedForReadingAndNothingWaits) {
    const std::vector<std::string> special = {"CANO.EXE", "TOMADA.BPL", "APARELHO.INI"};
    testing_support::MakeSpecialFiles(dir.folder(), special);
    platform::posix::PosixSystem system;
    for (const std::string& name : special) {
        EXPECT_FALSE(files.openRead(at(name))) << name;
        EXPECT_FALSE(files.openReadDenyWrite(at(name))) << name;
        EXPECT_FALSE(files.copyFile(at(name), at("copia"), false)) << name;
        EXPECT_EQ(system.profileString(at(name), "QOR", "EXE", "padrão"), "padrão") << name;
    }
    EXPECT_FALSE(fs::exists(dir / "copia"));
    dir.write("comum.txt", "abc");
    auto comum = files.openRead(at("comum.txt"));
    ASSERT_TRUE(comum);
    char buffer[4];
    EXPECT_EQ(comum->read(buffer, sizeof buffer), 3);
}

// A file that a program writes (made by createExclusive, still open) is held as Windows holds a
// file open without sharing: nobody deletes it, a reader that denies writers and a second writer
// are refused. Once closed it is an ordinary file again.
TEST_F(PosixFileSystemTest, AFileBeingWrittenCannotBeDeletedNorReadDenyingWriters) {
    auto writing = files.createExclusive(at("~QOR7.EXE.0badcafe.tmp"));
    ASSERT_TRUE(writing);
    EXPECT_EQ(writing->write("meio", 4), 4);
    EXPECT_FALSE(files.deleteFile(at("~qor7.exe.0badcafe.tmp")));
    EXPECT_FALSE(files.openReadDenyWrite(at("~QOR7.EXE.0badcafe.tmp")));
    EXPECT_FALSE(files.createExclusive(at("~QOR7.EXE.0badcafe.tmp")));
    EXPECT_TRUE(files.openRead(at("~QOR7.EXE.0badcafe.tmp")));  // readers that share with writers may
    writing.reset();
    EXPECT_TRUE(files.openReadDenyWrite(at("~QOR7.EXE.0badcafe.tmp")));
    EXPECT_TRUE(files.deleteFile(at("~QOR7.EXE.0badcafe.tmp")));
    EXPECT_EQ(folderListing(), std::vector<std::string>{});
}

// Whether a program writes a file is told by its lock; a file that cannot be opened to test the
// lock (another user's temporary, made for its owner alone) may be written right now: in use.
TEST_F(PosixFileSystemTest, AFileWhoseLockCannotBeTestedIsInUse) {
    if (!testing_support::CanAnswerSystemCalls()) GTEST_SKIP() << "this machine does not let a test filter system calls";
    const std::string path = dir.write("~QOR7.EXE.0badcafe.tmp", "meio");
    const auto deleted = testing_support::RunWithSystemCallAnswer(SYS_openat, EACCES, [&] {
        return platform::posix::PosixFileSystem().deleteFile(path) ? 1 : 0;
    });
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(folderListing(), std::vector<std::string>{"~QOR7.EXE.0badcafe.tmp"});
}

TEST_F(PosixFileSystemTest, StampsAndExactTimesThroughHandleAndPath) {
    const std::string path = dir.write("m.dll", "12345");
    auto file = files.openRead(path);
    ASSERT_TRUE(file);
    // 1970 and 2110: the DOS form holds neither, the exact time holds both.
    for (int64_t ticks : {int64_t{116444736000000000} + 12345678, int64_t{116444736000000000} + 44'000'000'000'000'000}) {
        ASSERT_TRUE(file->setLastWrite(ticks));
        EXPECT_EQ(file->stamp(), (platform::FileStamp{5, ticks}));
        EXPECT_EQ(files.stampOf(windowsForm("M.DLL")), (platform::FileStamp{5, ticks}));
        EXPECT_FALSE(files.lastWriteDos(path).has_value());
    }
    EXPECT_FALSE(files.stampOf(at("none")));
}

// One folder by identity whatever its spelling: letter case, either separator, a link to it.
TEST_F(PosixFileSystemTest, FolderIdentityIgnoresSpellingAndLinksAndNeedsAListableFolder) {
    fs::create_directories(dir / "Programa/Sub");
    fs::create_directory_symlink(dir / "Programa", dir / "atalho");
    const auto identity = files.folderIdentity(at("Programa/"));
    ASSERT_TRUE(identity);
    for (const std::string& spelling : {windowsForm("PROGRAMA\\"), at("programa"), at("atalho/"), at("Programa/Sub/..")})
        EXPECT_EQ(files.folderIdentity(spelling), identity) << spelling;
    EXPECT_NE(files.folderIdentity(at("Programa/Sub")), identity);
    EXPECT_FALSE(files.folderIdentity(at("faltando/")));
    EXPECT_FALSE(files.folderIdentity(dir.write("arquivo.txt", "")));
}

TEST_F(PosixFileSystemTest, CreateDirectoryMakesOneLevelOnly) {
    EXPECT_TRUE(files.createDirectory(at("Novo")));
    EXPECT_FALSE(files.createDirectory(at("NOVO")));  // exists, whatever its case
    EXPECT_FALSE(files.createDirectory(at("a/b")));
    EXPECT_TRUE(files.createDirectory(windowsForm("novo/Sub")));
    EXPECT_TRUE(fs::is_directory(dir / "Novo/Sub"));
}

}  // namespace

#endif  // _WIN32
