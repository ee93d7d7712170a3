// A program folder on a file system mounted for another user (NTFS through ntfs-3g with uid=, as
// a shared or removable disk is mounted): the user running the updater can write its files but
// cannot set their times or modes. A copy there carries "now" as its time, so the time rule alone
// would never copy a later build stamped earlier: the copy is reported as not updated, and the
// next run copies it again.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/dos_time.h"
#include "platform/platform.h"
#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

bool Succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// An NTFS image (sparse, room for a sanitizer build of the program) mounted by ntfs-3g, owned by
// root and open to everybody; unmounted on every path.
class NtfsMount {
public:
    explicit NtfsMount(const fs::path& at) : at_(at), image_(at.string() + ".img") {
        fs::create_directories(at_);
        mounted_ = Succeeds("truncate -s 256M " + image_) && Succeeds("mkntfs -F -q -f " + image_) &&
                   Succeeds("ntfs-3g -o uid=0,gid=0,umask=000 " + image_ + " " + at_.string());
    }
    ~NtfsMount() {
        if (mounted_) Succeeds("umount " + at_.string()) || Succeeds("umount -l " + at_.string());
        fs::remove(image_);
    }
    bool mounted() const { return mounted_; }

private:
    fs::path at_;
    std::string image_;
    bool mounted_ = false;
};

TEST(MountedForAnotherUser, ACopyWhoseTimeCannotBeSetIsNotUpdatedAndTheNextRunCopiesItAgain) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root to mount and a user nobody to run as";
    if (!Succeeds("command -v mkntfs") || !Succeeds("command -v ntfs-3g") || !Succeeds("command -v setpriv"))
        GTEST_SKIP() << "mkntfs, ntfs-3g or setpriv missing";
    testing_support::TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // the temporary folder is root's alone
    NtfsMount terminal(dir / "terminal");
    if (!terminal.mounted()) GTEST_SKIP() << "an NTFS image cannot be mounted here";

    testing_support::SetEnv("ATUALIZA_UI", "headless");
    fs::create_directories(dir / "servidor/QOR7/TABDEF");
    dir.write("servidor/QOR7/TABDEF/MODULOS.DAT", app_test::ModuleLine("ESTOQUE.EXE", "Estoque") + "\r\n");
    const std::string server = dir.write("servidor/QOR7/ESTOQUE.EXE", "versão nova");
    auto files = platform::makeNativePlatform().files;
    ASSERT_TRUE(files->openRead(server)->setLastWriteDos(*platform::packDosDateTime({2024, 6, 1, 9, 0, 0})));
    const fs::path program = dir / "terminal" / fs::path(ATUALIZA_EXE).filename();
    fs::copy_file(ATUALIZA_EXE, program);
    dir.write("terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() + "servidor/QOR7/\r\n");
    for (const auto& entry : fs::recursive_directory_iterator(dir / "servidor"))
        fs::permissions(entry.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);

    const std::string user = "--reuid=" + std::to_string(nobody->pw_uid);
    const std::string group = "--regid=" + std::to_string(nobody->pw_gid);
    auto run = [&] {
        return testing_support::RunAndWait("/usr/bin/setpriv", {user, group, "--clear-groups", program.string()},
                                           (dir / "terminal").string(), 20, {(dir / "saida.txt").string()});
    };
    // 2: the copy is not the server's version in full; 4: no QOR7.exe to start.
    EXPECT_EQ(run().exitStatus, 6);
    EXPECT_EQ(dir.read("terminal/ESTOQUE.EXE"), "versão nova");
    const std::string log = dir.read("terminal/AtualizaTerminalQOR7.log");
    EXPECT_NE(log.find("NÃO atualizado: ESTOQUE.EXE"), std::string::npos) << log;
    EXPECT_NE(log.find("não puderam ser ajustados"), std::string::npos) << log;
    // Its time stayed "now", later than the build's: only the record sends it to be copied again.
    EXPECT_EQ(run().exitStatus, 6);
    const std::string again = dir.read("terminal/AtualizaTerminalQOR7.log").substr(log.size());
    EXPECT_NE(again.find("NÃO atualizado: ESTOQUE.EXE"), std::string::npos) << again;
}

}  // namespace

#endif
