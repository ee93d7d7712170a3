// The running program's surroundings and profile reading through the POSIX system.
// The POSIX backend only: the Win32 backend has its own tests (win32_*_test.cpp).
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/posix_system.h"
#include "support/temp_dir.h"

namespace {

TEST(PosixSystem, ProgramPathAndCurrentFolder) {
    platform::posix::PosixSystem system;
    std::filesystem::path exe = system.executablePath();
    EXPECT_EQ(exe.filename(), "test_platform");
    EXPECT_TRUE(std::filesystem::is_regular_file(exe));
    EXPECT_EQ(system.currentDirectory(), std::filesystem::current_path().string() + "/");
}

TEST(PosixSystem, ProfileStringReadsFileFoundIgnoringCaseElseDefault) {
    testing_support::TempDir dir;
    dir.write("Progs/qor.ini", "[QOR]\r\nEXE=\\\\servidor\\qor\\\r\n");
    platform::posix::PosixSystem system;
    EXPECT_EQ(system.profileString(dir.folder() + "PROGS\\QOR.INI", "qor", "exe", "?"), "\\\\servidor\\qor\\");
    EXPECT_EQ(system.profileString(dir.folder() + "PROGS\\QOR.INI", "QOR", "TD", "padrão"), "padrão");
    EXPECT_EQ(system.profileString(dir.folder() + "nada.ini", "QOR", "EXE", "padrão"), "padrão");
    EXPECT_EQ(system.profileString(dir.folder() + "Progs", "QOR", "EXE", "padrão"), "padrão");
}

}  // namespace

#endif  // _WIN32
