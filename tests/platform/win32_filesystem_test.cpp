// The Win32 platform backend on real temporary folders (run under Wine on the build machine).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/dos_time.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_filesystem.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "support/win32_import_hook.h"

namespace fs = std::filesystem;
using platform::win32::fromWide;
using platform::win32::toWide;

namespace {

// A fresh folder under the Windows temporary folder, removed with its content (read-only files
// included) when the test ends.
class WindowsTempDir {
public:
    WindowsTempDir() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        for (;;) {
            folder_ = fromWide(base) + "atu-win32-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(++counter) + "\\";
            if (CreateDirectoryW(toWide(folder_).c_str(), nullptr)) break;
        }
    }
    ~WindowsTempDir() { removeTree(toWide(folder_)); }
    WindowsTempDir(const WindowsTempDir&) = delete;
    WindowsTempDir& operator=(const WindowsTempDir&) = delete;

    std::string at(const std::string& name) const { return folder_ + name; }
    const std::string& folder() const { return folder_; }

private:
    static void removeTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + name;
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(path + L"\\");
                else DeleteFileW(path.c_str());
            } while (FindNextFileW(search, &data));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::string folder_;
};

void writeText(const std::string& path, const std::string& content) {
    std::ofstream out(fs::path(toWide(path)), std::ios::binary | std::ios::trunc);
    out << content;
}

std::string readText(const std::string& path) {
    std::ifstream in(fs::path(toWide(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(platform::FileSystem& files, const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& entry : files.find(pattern)) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

uint32_t dos(int year, int month, int day, int hour, int minute, int second) {
    return *platform::packDosDateTime({year, month, day, hour, minute, second});
}

std::string nameOfHandle(HANDLE file) {
    wchar_t path[MAX_PATH] = L"";
    GetFinalPathNameByHandleW(file, path, MAX_PATH, 0);
    const std::string full = fromWide(path);
    return full.substr(full.find_last_of("\\/") + 1);
}

// Another process (the command interpreter) deletes the file, as another run's clean-up would.
void deleteFromAnotherProcess(const std::string& path) {
    std::wstring command = L"cmd.exe /c del /f /q \"" + toWide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &child));
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

// The calls of the fallback copy that put its data on the disk and give it the target's name.
std::vector<std::string> diskCalls;
testing_support::ImportHook* flushHook = nullptr;
testing_support::ImportHook* moveHook = nullptr;
BOOL WINAPI recordFlush(HANDLE file) {
    diskCalls.push_back("flush " + nameOfHandle(file));
    return reinterpret_cast<decltype(&FlushFileBuffers)>(flushHook->Original())(file);
}
BOOL WINAPI recordMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    const std::string source = fromWide(from);
    diskCalls.push_back("move " + source.substr(source.find_last_of("\\/") + 1));
    return reinterpret_cast<decltype(&MoveFileExW)>(moveHook->Original())(from, to, flags);
}

// A publisher that tries to open the source for writing in the middle of the fallback copy.
testing_support::ImportHook* copyHook = nullptr;
std::optional<bool> publisherOpened;
BOOL WINAPI publishDuringCopy(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    const HANDLE publisher = CreateFileW(from, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    publisherOpened = publisher != INVALID_HANDLE_VALUE;
    if (*publisherOpened) CloseHandle(publisher);
    return reinterpret_cast<decltype(&CopyFileW)>(copyHook->Original())(from, to, failIfExists);
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    platform::win32::Win32FileSystem files;
    WindowsTempDir dir;
};

TEST_F(Win32FileSystemTest, FindMatchesWildcardsIgnoringCaseAndReportsKindsSizesAndTimes) {
    writeText(dir.at("QOR7.EXE"), "12345");
    writeText(dir.at("qor7.dat"), "");
    writeText(dir.at("other.txt"), "x");
    ASSERT_TRUE(files.createDirectory(dir.at("Qor7Dir")));

    EXPECT_EQ(namesIn(files, dir.at("qor7*")), (std::vector<std::string>{"QOR7.EXE", "Qor7Dir", "qor7.dat"}));
    EXPECT_EQ(namesIn(files, dir.at("*.???")),
              (std::vector<std::string>{"QOR7.EXE", "other.txt", "qor7.dat"}));
    EXPECT_TRUE(files.find(dir.at("nothing*")).empty());

    for (const auto& entry : files.find(dir.at("*"))) {
        EXPECT_NE(entry.name, ".");
        EXPECT_NE(entry.name, "..");
        if (entry.name == "QOR7.EXE") {
            EXPECT_EQ(entry.size, 5u);
            EXPECT_FALSE(entry.attributes & platform::attr::Directory);
            EXPECT_EQ(entry.dosTime, files.lastWriteDos(dir.at("QOR7.EXE")));
        }
        if (entry.name == "Qor7Dir") {
            EXPECT_TRUE(entry.attributes & platform::attr::Directory);
        }
    }
}

// A second name costs no copy and outlives the first being replaced; it never replaces a name.
TEST_F(Win32FileSystemTest, ALinkIsASecondNameThatKeepsTheOldFileWhenTheFirstIsReplaced) {
    writeText(dir.at("m.exe"), "velho");
    writeText(dir.at("outro"), "outro");
    EXPECT_TRUE(files.linkFile(dir.at("m.exe"), dir.at("Ação.exe")));
    EXPECT_EQ(readText(dir.at("Ação.exe")), "velho");
    EXPECT_FALSE(files.linkFile(dir.at("m.exe"), dir.at("OUTRO")));
    EXPECT_FALSE(files.linkFile(dir.at("nenhum"), dir.at("n2")));
    EXPECT_EQ(readText(dir.at("outro")), "outro");
    writeText(dir.at("novo"), "novo");
    ASSERT_TRUE(files.replaceFile(dir.at("novo"), dir.at("m.exe")));
    EXPECT_EQ(readText(dir.at("m.exe")), "novo");
    EXPECT_EQ(readText(dir.at("Ação.exe")), "velho");
}

TEST_F(Win32FileSystemTest, NamesOutsideAsciiSurviveTheRoundTrip) {
    const std::string name = "Configuração ñ €.ini";
    writeText(dir.at(name), "abc");
    EXPECT_EQ(namesIn(files, dir.at("Config*")), std::vector<std::string>{name});
    EXPECT_TRUE(files.fileExists(dir.at(name)));
    EXPECT_EQ(files.fileSize(dir.at(name)), 3u);
}

TEST_F(Win32FileSystemTest, AttributesAndExistenceTellFilesFromFolders) {
    writeText(dir.at("a.txt"), "a");
    ASSERT_TRUE(files.createDirectory(dir.at("sub")));
    EXPECT_FALSE(files.createDirectory(dir.at("sub")));
    EXPECT_FALSE(files.createDirectory(dir.at("missing\\deeper")));  // one level only

    EXPECT_TRUE(files.fileExists(dir.at("a.txt")));
    EXPECT_FALSE(files.dirExists(dir.at("a.txt")));
    EXPECT_TRUE(files.dirExists(dir.at("sub")));
    EXPECT_FALSE(files.fileExists(dir.at("sub")));
    EXPECT_FALSE(files.attributes(dir.at("none.txt")).has_value());
    EXPECT_FALSE(files.fileSize(dir.at("sub")).has_value());

    ASSERT_TRUE(files.setAttributes(dir.at("a.txt"), platform::attr::ReadOnly | platform::attr::Hidden));
    EXPECT_EQ(*files.attributes(dir.at("a.txt")) & (platform::attr::ReadOnly | platform::attr::Hidden),
              platform::attr::ReadOnly | platform::attr::Hidden);
}

TEST_F(Win32FileSystemTest, DeleteRefusesReadOnlyFilesUntilTheAttributeIsCleared) {
    writeText(dir.at("locked.bpl"), "old");
    ASSERT_TRUE(files.setAttributes(dir.at("locked.bpl"), platform::attr::ReadOnly));
    EXPECT_FALSE(files.deleteFile(dir.at("locked.bpl")));
    EXPECT_TRUE(files.fileExists(dir.at("locked.bpl")));

    ASSERT_TRUE(files.setAttributes(dir.at("locked.bpl"), platform::attr::Normal));
    EXPECT_TRUE(files.deleteFile(dir.at("locked.bpl")));
    EXPECT_FALSE(files.fileExists(dir.at("locked.bpl")));
    EXPECT_FALSE(files.deleteFile(dir.at("locked.bpl")));
}

TEST_F(Win32FileSystemTest, MoveKeepsAnExistingTargetWhileReplaceOverwritesIt) {
    writeText(dir.at("new.tmp"), "new");
    writeText(dir.at("target.exe"), "old");
    EXPECT_FALSE(files.moveFile(dir.at("new.tmp"), dir.at("target.exe")));
    EXPECT_EQ(readText(dir.at("target.exe")), "old");

    EXPECT_TRUE(files.replaceFile(dir.at("new.tmp"), dir.at("target.exe")));
    EXPECT_EQ(readText(dir.at("target.exe")), "new");
    EXPECT_FALSE(files.fileExists(dir.at("new.tmp")));

    EXPECT_TRUE(files.moveFile(dir.at("target.exe"), dir.at("moved.exe")));
    EXPECT_EQ(readText(dir.at("moved.exe")), "new");
}

TEST_F(Win32FileSystemTest, CopyReplacesTheTargetWithoutLeavingATemporaryBehind) {
    writeText(dir.at("server.exe"), "version 2");
    writeText(dir.at("local.exe"), "version 1");

    EXPECT_FALSE(files.copyFile(dir.at("server.exe"), dir.at("local.exe"), true));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(readText(dir.at("local.exe")), "version 1");

    EXPECT_TRUE(files.copyFile(dir.at("server.exe"), dir.at("local.exe"), false));
    EXPECT_EQ(readText(dir.at("local.exe")), "version 2");
    EXPECT_TRUE(files.copyFile(dir.at("server.exe"), dir.at("fresh.exe"), true));
    EXPECT_EQ(readText(dir.at("fresh.exe")), "version 2");
    EXPECT_EQ(files.lastWriteDos(dir.at("fresh.exe")), files.lastWriteDos(dir.at("server.exe")));

    EXPECT_EQ(namesIn(files, dir.at("*")), (std::vector<std::string>{"fresh.exe", "local.exe", "server.exe"}));
}

TEST_F(Win32FileSystemTest, FailedCopiesLeaveTheOldTargetAndNoTemporary) {
    writeText(dir.at("server.dll"), "new");
    writeText(dir.at("local.dll"), "old");
    ASSERT_TRUE(files.setAttributes(dir.at("local.dll"), platform::attr::ReadOnly));

    EXPECT_FALSE(files.copyFile(dir.at("server.dll"), dir.at("local.dll"), false));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readText(dir.at("local.dll")), "old");

    ASSERT_TRUE(files.setAttributes(dir.at("local.dll"), platform::attr::Normal));
    EXPECT_FALSE(files.copyFile(dir.at("absent.dll"), dir.at("local.dll"), false));
    EXPECT_EQ(readText(dir.at("local.dll")), "old");

    // A read-only source gives a read-only copy, which must not strand its temporary either.
    ASSERT_TRUE(files.setAttributes(dir.at("server.dll"), platform::attr::ReadOnly));
    EXPECT_TRUE(files.copyFile(dir.at("server.dll"), dir.at("copy.dll"), false));
    EXPECT_TRUE(*files.attributes(dir.at("copy.dll")) & platform::attr::ReadOnly);
    // Nor when the target is held open (a running program): the read-only temporary goes too.
    {
        const HANDLE running = CreateFileW(toWide(dir.at("local.dll")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(running, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(files.copyFile(dir.at("server.dll"), dir.at("local.dll"), false));
        CloseHandle(running);
    }
    EXPECT_EQ(readText(dir.at("local.dll")), "old");

    EXPECT_EQ(namesIn(files, dir.at("*")), (std::vector<std::string>{"copy.dll", "local.dll", "server.dll"}));
}

// The fallback copy's data is on the disk before the copy takes the target's name: a power cut
// then leaves the old file or the whole new one, never one full of zeros with the server's time.
TEST_F(Win32FileSystemTest, TheFallbackCopyIsOnTheDiskBeforeItReplacesTheTarget) {
    writeText(dir.at("server.exe"), "version 2");
    writeText(dir.at("local.exe"), "version 1");
    ASSERT_TRUE(files.setAttributes(dir.at("server.exe"), platform::attr::ReadOnly));  // copied read-only too
    testing_support::ImportHook flush("kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&recordFlush));
    testing_support::ImportHook move("kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&recordMove));
    ASSERT_TRUE(flush.Installed() && move.Installed());
    flushHook = &flush;
    moveHook = &move;
    diskCalls.clear();
    const bool copied = files.copyFile(dir.at("server.exe"), dir.at("local.exe"), false);
    const std::vector<std::string> calls = diskCalls;
    flushHook = moveHook = nullptr;
    ASSERT_TRUE(copied);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].starts_with("flush ~local.exe.")) << calls[0];
    EXPECT_EQ(calls[1], "move " + calls[0].substr(6));
    EXPECT_EQ(readText(dir.at("local.exe")), "version 2");
    EXPECT_TRUE(*files.attributes(dir.at("local.exe")) & platform::attr::ReadOnly);
}

// A source that a program writes (a publish in progress) is not read: the engine cannot open it,
// the fallback copy fails, and a writer cannot start while a copy reads it.
TEST_F(Win32FileSystemTest, ACopySourceIsNeitherReadWhileWrittenNorWrittenWhileRead) {
    writeText(dir.at("server.bpl"), "publicando");
    {
        std::ofstream publisher(fs::path(toWide(dir.at("server.bpl"))), std::ios::binary | std::ios::app);
        ASSERT_TRUE(publisher.is_open());
        EXPECT_EQ(files.openRead(dir.at("server.bpl")), nullptr);
        EXPECT_FALSE(files.copyFile(dir.at("server.bpl"), dir.at("local.bpl"), false));
    }
    auto reading = files.openRead(dir.at("server.bpl"));
    ASSERT_NE(reading, nullptr);
    EXPECT_FALSE(std::ofstream(fs::path(toWide(dir.at("server.bpl"))), std::ios::binary | std::ios::app).is_open());
    EXPECT_NE(files.openRead(dir.at("server.bpl")), nullptr);  // other readers may
    EXPECT_TRUE(files.moveFile(dir.at("server.bpl"), dir.at("renomeado.bpl")));  // and so may a rename
    EXPECT_EQ(namesIn(files, dir.at("*")), std::vector<std::string>{"renomeado.bpl"});
}

// A name that leads to a pipe or a device is never read: a read there may wait for ever.
TEST_F(Win32FileSystemTest, NothingButAFileOfADiskIsOpenedForReading) {
    const std::string pipe = "\\\\.\\pipe\\atu-teste-" + std::to_string(GetCurrentProcessId());
    platform::win32::Handle server(CreateNamedPipeW(toWide(pipe).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 4, 512,
                                                    512, 0, nullptr));
    ASSERT_TRUE(server.valid());
    platform::win32::Win32System system;
    for (const std::string& special : {pipe, std::string("NUL"), dir.at("NUL")}) {
        EXPECT_EQ(files.openRead(special), nullptr) << special;
        EXPECT_EQ(files.openReadDenyWrite(special), nullptr) << special;
        EXPECT_FALSE(files.copyFile(special, dir.at("copia.exe"), false)) << special;
        EXPECT_EQ(system.profileString(special, "QOR", "EXE", "padrão"), "padrão") << special;
    }
    EXPECT_FALSE(files.fileExists(dir.at("copia.exe")));
}

// A publisher that opens the server file for writing while the platform's copy reads it (inside
// CopyFileW) is refused: the copy stands as the one version it read, whole.
TEST_F(Win32FileSystemTest, APublisherCannotWriteTheSourceWhileTheFallbackCopiesIt) {
    writeText(dir.at("server.dll"), std::string(1 << 20, 'A'));
    writeText(dir.at("local.dll"), "old");
    testing_support::ImportHook copy("kernel32.dll", "CopyFileW", reinterpret_cast<void*>(&publishDuringCopy));
    ASSERT_TRUE(copy.Installed());
    copyHook = &copy;
    publisherOpened = std::nullopt;
    const bool copied = files.copyFile(dir.at("server.dll"), dir.at("local.dll"), false);
    copyHook = nullptr;
    ASSERT_TRUE(publisherOpened.has_value()) << "the copy did not go through CopyFileW";
    EXPECT_FALSE(*publisherOpened);
    EXPECT_TRUE(copied);
    EXPECT_TRUE(readText(dir.at("local.dll")) == std::string(1 << 20, 'A'));  // not printed: 1 MiB
    EXPECT_EQ(namesIn(files, dir.at("*")), (std::vector<std::string>{"local.dll", "server.dll"}));
}

TEST_F(Win32FileSystemTest, DosTimesAreSetAndReadInLocalTimeWithTwoSecondSteps) {
    const uint32_t when = dos(2021, 6, 15, 13, 45, 30);
    {
        auto file = files.createExclusive(dir.at("dated.bin"));
        ASSERT_NE(file, nullptr);
        const char data[] = "content";
        EXPECT_EQ(file->write(data, 7), 7);
        EXPECT_TRUE(file->flush());
        EXPECT_TRUE(file->setLastWriteDos(when));
        EXPECT_EQ(file->lastWriteDos(), when);
    }
    EXPECT_EQ(files.lastWriteDos(dir.at("dated.bin")), when);
    EXPECT_EQ(files.find(dir.at("dated.bin")).at(0).dosTime, when);

    const auto unpacked = platform::unpackDosDateTime(*files.lastWriteDos(dir.at("dated.bin")));
    EXPECT_EQ(unpacked.year, 2021);
    EXPECT_EQ(unpacked.hour, 13);
    EXPECT_EQ(unpacked.second, 30);

    // Copies keep the time; a copy compares equal, not newer.
    ASSERT_TRUE(files.copyFile(dir.at("dated.bin"), dir.at("copy.bin"), false));
    EXPECT_EQ(files.lastWriteDos(dir.at("copy.bin")), when);
}

TEST_F(Win32FileSystemTest, ReadersShareWithReadersButAnExclusiveFileSharesWithNobody) {
    writeText(dir.at("shared.txt"), "0123456789");
    {
        auto reader = files.openRead(dir.at("shared.txt"));
        ASSERT_NE(reader, nullptr);
        auto second = files.openRead(dir.at("shared.txt"));
        EXPECT_NE(second, nullptr);
        char buffer[16] = {};
        EXPECT_EQ(reader->read(buffer, 4), 4);
        EXPECT_EQ(std::string(buffer, 4), "0123");
        EXPECT_EQ(reader->read(buffer, 16), 6);
        EXPECT_EQ(reader->read(buffer, 16), 0);
    }
    auto exclusive = files.createExclusive(dir.at("shared.txt"));
    ASSERT_NE(exclusive, nullptr);
    EXPECT_EQ(files.openRead(dir.at("shared.txt")), nullptr);
    EXPECT_EQ(files.createExclusive(dir.at("shared.txt")), nullptr);
    exclusive.reset();
    EXPECT_EQ(files.fileSize(dir.at("shared.txt")), 0u);  // emptied when created
    EXPECT_EQ(files.openRead(dir.at("missing.txt")), nullptr);
}

// A file being written (created exclusive, still open) cannot be deleted by anybody, another
// process included, nor read by a reader that denies writers (the catalogue's reader).
TEST_F(Win32FileSystemTest, AFileBeingWrittenCannotBeDeletedNorReadDenyingWriters) {
    auto writing = files.createExclusive(dir.at("~QOR7.EXE.0badcafe.tmp"));
    ASSERT_NE(writing, nullptr);
    EXPECT_FALSE(files.deleteFile(dir.at("~qor7.exe.0badcafe.tmp")));
    writeText(dir.at("MODULOS.DAT"), "linha");
    {
        std::ofstream writer(fs::path(toWide(dir.at("MODULOS.DAT"))), std::ios::binary | std::ios::app);
        EXPECT_EQ(files.openReadDenyWrite(dir.at("MODULOS.DAT")), nullptr);
    }
    EXPECT_NE(files.openReadDenyWrite(dir.at("MODULOS.DAT")), nullptr);
    deleteFromAnotherProcess(dir.at("~QOR7.EXE.0badcafe.tmp"));  // another run's clean-up
    EXPECT_TRUE(files.fileExists(dir.at("~QOR7.EXE.0badcafe.tmp")));
    writing.reset();
    deleteFromAnotherProcess(dir.at("~QOR7.EXE.0badcafe.tmp"));
    EXPECT_FALSE(files.fileExists(dir.at("~QOR7.EXE.0badcafe.tmp")));
}

TEST_F(Win32FileSystemTest, StampsAndExactTimesThroughHandleAndPath) {
    writeText(dir.at("m.dll"), "12345");
    auto file = files.openRead(dir.at("m.dll"));
    ASSERT_NE(file, nullptr);
    // 1970 and 2109: the DOS form holds neither, the exact time holds both.
    for (int64_t ticks : {int64_t{116444736000000000} + 12345678, int64_t{116444736000000000} + 44'000'000'000'000'000}) {
        ASSERT_TRUE(file->setLastWrite(ticks));
        EXPECT_EQ(file->stamp(), (platform::FileStamp{5, ticks}));
        EXPECT_EQ(files.stampOf(dir.at("M.DLL")), (platform::FileStamp{5, ticks}));
        EXPECT_FALSE(files.lastWriteDos(dir.at("m.dll")).has_value());
    }
    EXPECT_FALSE(files.stampOf(dir.at("none")));
}

TEST_F(Win32FileSystemTest, FolderIdentityIgnoresSpellingAndNeedsAFolder) {
    ASSERT_TRUE(files.createDirectory(dir.at("Programa")));
    ASSERT_TRUE(files.createDirectory(dir.at("Programa\\Sub")));
    const auto identity = files.folderIdentity(dir.at("Programa\\"));
    ASSERT_TRUE(identity);
    std::string forward = dir.at("PROGRAMA/");
    std::replace(forward.begin(), forward.end(), '\\', '/');
    for (const std::string& spelling : {dir.at("programa"), forward, dir.at("Programa\\Sub\\..\\"), dir.at("Programa\\.")})
        EXPECT_EQ(files.folderIdentity(spelling), identity) << spelling;
    EXPECT_NE(files.folderIdentity(dir.at("Programa\\Sub")), identity);
    EXPECT_FALSE(files.folderIdentity(dir.at("faltando\\")));
    writeText(dir.at("arquivo.txt"), "");
    EXPECT_FALSE(files.folderIdentity(dir.at("arquivo.txt")));
}

TEST_F(Win32FileSystemTest, FreeSpaceIsAskedOfTheDriveOfThePath) {
    EXPECT_GT(files.freeSpace(dir.at("any.exe")), 0);
    EXPECT_GT(files.freeSpace("relative.exe"), 0);
    EXPECT_EQ(platform::win32::volumeRootOf("c:\\qor7\\x.exe"), "c:\\");
    EXPECT_EQ(platform::win32::volumeRootOf("\\\\server\\share\\qor7\\x.exe"), "\\\\server\\share\\");
    EXPECT_EQ(platform::win32::volumeRootOf("qor7\\x.exe"), "");
}

TEST(Win32System, KnowsItsProgramItsFolderAndReadsProfiles) {
    platform::win32::Win32System system;
    const std::string exe = system.executablePath();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_TRUE(_stricmp(exe.substr(exe.size() - 4).c_str(), ".exe") == 0) << exe;
    const std::string current = system.currentDirectory();
    ASSERT_FALSE(current.empty());
    EXPECT_EQ(current.back(), '\\');

    WindowsTempDir dir;
    writeText(dir.at("qor.ini"), "[qor]\r\nservidor = \"srv01\" \r\nPORTACON=\r\n");
    const std::string ini = dir.at("qor.ini");
    EXPECT_EQ(system.profileString(ini, "QOR", "Servidor", "-"), "srv01");
    EXPECT_EQ(system.profileString(ini, "QOR", "PORTACON", "3050"), "");
    EXPECT_EQ(system.profileString(ini, "QOR", "DLLCON", "fbclient.dll"), "fbclient.dll");
    EXPECT_EQ(system.profileString(dir.at("none.ini"), "QOR", "Servidor", "dflt"), "dflt");

    writeText(dir.at("long.ini"), "[QOR]\r\nCaminho=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(system.profileString(dir.at("long.ini"), "QOR", "Caminho", "").size(), 2047u);
}

TEST(Win32Processes, ListsThisProcessInItsOwnSessionAndRefusesToEndAnAbsentOne) {
    platform::win32::Win32Processes processes;
    for (auto kind : {platform::SnapshotKind::All, platform::SnapshotKind::ProcessesOnly}) {
        const auto list = processes.snapshot(kind);
        const auto self = std::find_if(list.begin(), list.end(), [](const platform::ProcessEntry& p) {
            return p.pid == GetCurrentProcessId();
        });
        ASSERT_NE(self, list.end());
        EXPECT_NE(self->exeName.find(".exe"), std::string::npos) << self->exeName;
        // Its own entry carries the session that the process list compares with.
        ASSERT_TRUE(processes.currentOwner());
        EXPECT_EQ(self->owner, processes.currentOwner());
    }
    EXPECT_FALSE(processes.terminate({"ausente.exe", 0xFFFFFFF0u, std::nullopt, 0}));
}

// The process the list showed, never another: an entry whose creation time is not the process's
// (a number reused since the list) ends nothing.
TEST(Win32Processes, EndsTheListedProcessAtOnceWithExitCodeZeroAndNoOther) {
    // A suspended copy of this test program: it exists but never runs a line of its own.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &child));
    platform::win32::Win32Processes processes;
    const auto list = processes.snapshot(platform::SnapshotKind::ProcessesOnly);
    const auto listed = std::find_if(list.begin(), list.end(), [&](const platform::ProcessEntry& p) {
        return p.pid == child.dwProcessId;
    });
    ASSERT_NE(listed, list.end());
    platform::ProcessEntry earlier = *listed;
    earlier.started -= 10'000'000;  // a process of that number that started a second before
    EXPECT_FALSE(processes.terminate(earlier));
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 200), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(processes.terminate(*listed));
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD exitCode = 1234;
    GetExitCodeProcess(child.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

TEST(Win32Shell, ReportsAMissingProgramWithTheShellsCode) {
    WindowsTempDir dir;
    platform::win32::Win32Shell shell;
    EXPECT_EQ(shell.execute(nullptr, "", dir.at("QOR7.exe"), "", dir.folder(), 1), 2);
    // Windows says "path not found" (3) for a missing folder; Wine says "file not found" (2).
    const intptr_t missingFolder = shell.execute(nullptr, "", dir.at("absent\\QOR7.exe"), "", "", 1);
    EXPECT_TRUE(missingFolder == 2 || missingFolder == 3) << missingFolder;
}

}  // namespace

#endif  // _WIN32
