// The window's file work without a window: copying by mask, opening a folder, the offered paths.
#include <gtest/gtest.h>

#include <filesystem>

#include "pack_fixture.h"
#include "packinfo/pack_files.h"
#include "support/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;
using packinfo_test::PackTest;

class CopiaArquivosTest : public PackTest {
protected:
    testing_support::TempDir server;
    platform::FileSystem& files() { return *machine.files; }
};

TEST_F(CopiaArquivosTest, CopiesEveryMatchingFileOverwritingAndSkippingFolders) {
    server.write("A.bpl", "a");
    server.write("b.BPL", "b");
    server.write("c.bpl", "c");
    server.write("other.dll", "x");
    fs::create_directory(server / "folder.bpl");
    program.write("A.bpl", "old version, longer than the new");
    const std::string hidden = server.write(".hidden.bpl", "h");  // a hidden file is admitted too
    fs::permissions(server / "c.bpl", fs::perms::owner_write, fs::perm_options::remove);  // read-only source

    EXPECT_TRUE(packinfo::CopiaArquivos(files(), server.folder() + "*.bpl", program.folder()));

    EXPECT_EQ(program.read("A.bpl"), "a");
    EXPECT_EQ(program.read("b.BPL"), "b");
    EXPECT_EQ(program.read("c.bpl"), "c");
    EXPECT_EQ(program.read(".hidden.bpl"), "h");
    EXPECT_FALSE(fs::exists(program / "other.dll"));
    EXPECT_FALSE(fs::exists(program / "folder.bpl"));
}

// A file already in the program folder, whatever the spelling of its name: no success is claimed
// and the file keeps its content (Windows' own copy refuses a file onto itself).
TEST_F(CopiaArquivosTest, AFileOntoItselfIsAFailureAndStaysWhole) {
    program.write("PKQOR7.bpl", "pacote");
    EXPECT_FALSE(packinfo::CopiaArquivos(files(), program.folder() + "pkqor7.BPL", program.folder()));
    EXPECT_FALSE(packinfo::CopiaArquivos(files(), program.folder() + "*.bpl", program.folder()));
    EXPECT_EQ(program.read("PKQOR7.bpl"), "pacote");
}

TEST_F(CopiaArquivosTest, NothingMatchingIsSuccessAndCreatesNoFolder) {
    EXPECT_TRUE(packinfo::CopiaArquivos(files(), server.folder() + "*.bpl", program.folder() + "BPL\\"));
    EXPECT_TRUE(packinfo::CopiaArquivos(files(), server.folder() + "missing\\*.bpl", program.folder()));
    EXPECT_FALSE(fs::exists(program / "BPL"));
}

TEST_F(CopiaArquivosTest, MissingDestinationFolderFailsWithoutCreatingIt) {
    server.write("one.bpl", "1");
    EXPECT_FALSE(packinfo::CopiaArquivos(files(), server.folder() + "one.bpl", program.folder() + "BPL\\"));
    EXPECT_FALSE(fs::exists(program / "BPL"));
}

TEST_F(CopiaArquivosTest, StopsAtTheFirstFailedCopy) {
    for (const char* name : {"p1.bpl", "p2.bpl", "p3.bpl"}) server.write(name, name);
    auto faulty = std::make_shared<testing_support::FaultyFileSystem>(machine.files);
    const auto order = files().find(server.folder() + "*.bpl");
    ASSERT_EQ(order.size(), 3u);
    faulty->Lock(order[1].name);  // the second in the search's order cannot be written

    EXPECT_FALSE(packinfo::CopiaArquivos(*faulty, server.folder() + "*.bpl", program.folder()));

    EXPECT_TRUE(fs::exists(program / order[0].name)) << "copied before the failure: stays";
    EXPECT_FALSE(fs::exists(program / order[1].name));
    EXPECT_FALSE(fs::exists(program / order[2].name)) << "not tried after the failure";
}

TEST(ParametrosExplorer, ThreeFormsOfTheParameterText) {
    EXPECT_EQ(packinfo::ParametrosExplorer("C:\\QOR7\\", false, false), "\"C:\\QOR7\\\"");
    EXPECT_EQ(packinfo::ParametrosExplorer("C:\\QOR7\\", false, true), "\"C:\\QOR7\\\"");
    EXPECT_EQ(packinfo::ParametrosExplorer("C:\\QOR7\\", true, true), " /e,/root,\"C:\\QOR7\\\"");
    EXPECT_EQ(packinfo::ParametrosExplorer("C:\\QOR7\\", true, false), " /e,\"C:\\QOR7\\\"");
}

TEST(AbrePastaExplorer, StartsTheExplorerThroughTheShellAndReadsItsCode) {
    testing_support::RecordingShell shell(33);
    int owner = 0;
    EXPECT_TRUE(packinfo::AbrePastaExplorer(shell, &owner, "\\\\SRV\\QOR7\\", true, true));
    ASSERT_EQ(shell.calls.size(), 1u);
    const auto& call = shell.calls[0];
    EXPECT_EQ(call.ownerWindow, &owner);
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "explorer.exe");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.showMode, 1);
#ifdef _WIN32
    EXPECT_EQ(call.parameters, " /e,/root,\"\\\\SRV\\QOR7\\\"");
#else
    // The desktop's file manager knows no explorer view: it gets the folder alone.
    EXPECT_EQ(call.parameters, "\"\\\\SRV\\QOR7\\\"");
#endif
    shell.result = 32;
    EXPECT_FALSE(packinfo::AbrePastaExplorer(shell, nullptr, "C:\\", false, false));
    shell.result = 2;
    EXPECT_FALSE(packinfo::AbrePastaExplorer(shell, nullptr, "C:\\", true, false));
}

TEST_F(PackTest, OfferedPathsAreTheLocalMasksThenTheServerMasksEachWithItsFiles) {
    program.write("vcl50.BPL", "");
    program.write("ABC.bpl", "");
    program.write("midas.dll", "");
    program.write("QOR7.exe", "");
    fs::create_directory(program / "dir.dll");
    const std::string p = program.folder();

    const auto nodes = packinfo::ListaPacotes(*machine.files, p, "\\\\SRV\\QOR7\\");
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[0].caminho, p + "*.bpl");
    EXPECT_EQ(nodes[0].filhos, (std::vector<std::string>{p + "ABC.bpl", p + "vcl50.BPL"}));
    EXPECT_EQ(nodes[1].caminho, p + "*.dll");
    EXPECT_EQ(nodes[1].filhos, (std::vector<std::string>{p + "midas.dll"}));
    EXPECT_EQ(nodes[2].caminho, "\\\\SRV\\QOR7\\*.bpl");
    EXPECT_TRUE(nodes[2].filhos.empty()) << "a share that does not answer has none";
    EXPECT_EQ(nodes[3].caminho, "\\\\SRV\\QOR7\\*.dll");
    program.write("servidor/pkServidor7.bpl", "");
    const auto withServer = packinfo::ListaPacotes(*machine.files, p, p + "servidor/");
    ASSERT_EQ(withServer.size(), 4u);
    EXPECT_EQ(withServer[2].filhos, (std::vector<std::string>{p + "servidor/pkServidor7.bpl"}));

    EXPECT_EQ(packinfo::ListaPacotes(*machine.files, p, "\\").size(), 2u) << "no server root in the settings";
    EXPECT_EQ(packinfo::ListaPacotes(*machine.files, p, "").size(), 2u);
    EXPECT_EQ(packinfo::ListaPacotes(*machine.files, p, p).size(), 2u) << "the program folder is not listed twice";
}

}  // namespace
