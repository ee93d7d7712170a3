// Two users on one terminal (POSIX, run as root): the copy of one must not lose its temporary to
// the other's clean-up of leftovers. The fallback copy makes its temporary for its owner alone,
// under a lock that the other user cannot even open the file to test.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "fileops/fx_temp_file.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Runs the clean-up of leftover temporaries on `folder` as `user`, in a child; its exit status.
int SweepAs(const passwd& user, const std::string& folder) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(user.pw_gid) != 0 || setuid(user.pw_uid) != 0) _exit(126);
        fileops::RemoveLeftoverTemporaries(*platform::makeNativePlatform().files, folder);
        _exit(0);
    }
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(TwoUsers, ATemporaryStillWrittenByAnotherUserSurvivesTheSweep) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "this machine has no user nobody";
    testing_support::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // a program folder both users write in
    // As the fallback copy holds its temporary while it writes: for its owner alone, locked.
    const std::string writing = (dir / "~QOR7.EXE.0badcafe.tmp").string();
    const int fd = open(writing.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    dir.write("~LUNDAMI7.EXE.12345678.tmp", "resto de uma cópia interrompida");
    fs::permissions(dir / "~LUNDAMI7.EXE.12345678.tmp", fs::perms::all);

    EXPECT_EQ(SweepAs(*nobody, dir.folder()), 0);
    EXPECT_TRUE(fs::exists(writing));
    EXPECT_FALSE(fs::exists(dir / "~LUNDAMI7.EXE.12345678.tmp"));  // a leftover the other user can test goes
    close(fd);
}

}  // namespace

#endif  // _WIN32
