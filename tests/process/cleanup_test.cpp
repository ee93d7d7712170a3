#include "process/cleanup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace fs = std::filesystem;
using process::ApagaAntigos;
using process::ExcluirArq;
using testing_support::TempDir;

namespace {

// The clean-up run on a real folder with the machine's own file layer; reports are collected.
class Cleanup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(files) << "no native file layer"; }

    std::vector<std::string> run() {
        std::vector<std::string> reports;
        ApagaAntigos(*files, dir.folder(), [&](const std::string& text) { reports.push_back(text); });
        return reports;
    }
    bool exists(const std::string& relative) const { return fs::exists(dir / relative); }
    // Through the platform: the read-only attribute on Windows, no write permission on POSIX.
    void makeReadOnly(const std::string& relative) {
        ASSERT_TRUE(files->setAttributes(dir.write(relative, "x"), platform::attr::ReadOnly));
    }
    bool readOnly(const std::string& relative) const {
        return (files->attributes(dir.folder() + relative).value_or(0) & platform::attr::ReadOnly) != 0;
    }
    std::string report(const std::string& relative) const {
        return "Não consegui Excluir " + dir.folder() + relative;
    }

    TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
};

}  // namespace

TEST(ArquivosAntigos, HoldsTheMasksInOrder) {
    ASSERT_EQ(process::ArquivosAntigos.size(), 23u);
    EXPECT_EQ(process::ArquivosAntigos[0], "TABDEF\\tabdef.ini");
    EXPECT_EQ(process::ArquivosAntigos[1], "*7.bpl");
    EXPECT_EQ(process::ArquivosAntigos[8], "midas.dll");
    EXPECT_EQ(process::ArquivosAntigos[15], "*2006.bpl");
    EXPECT_EQ(process::ArquivosAntigos[22], "dbexpida30.dll");
}

TEST_F(Cleanup, EmptyFolderReportsNothing) {
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(Cleanup, DeletesOldPackagesWhateverTheirCaseAndKeepsOthers) {
    for (const char* name : {"Abc7.bpl", "Abc70.bpl", "Abc2006.bpl", "ABC17.BPL", "x100.bpl",
                             "png.BPL", "Zipmaster.bpl", "DBEXPIDA30.DLL", "7.bpl"})
        dir.write(name, "old");
    for (const char* name : {"Abc8.bpl", "Abc7.bpl.bak", "Abc7.dll", "QOR7.EXE", "qor.ini"})
        dir.write(name, "keep");

    EXPECT_TRUE(run().empty());

    for (const char* name : {"Abc7.bpl", "Abc70.bpl", "Abc2006.bpl", "ABC17.BPL", "x100.bpl",
                             "png.BPL", "Zipmaster.bpl", "DBEXPIDA30.DLL", "7.bpl"})
        EXPECT_FALSE(exists(name)) << name;
    for (const char* name : {"Abc8.bpl", "Abc7.bpl.bak", "Abc7.dll", "QOR7.EXE", "qor.ini"})
        EXPECT_TRUE(exists(name)) << name;
}

TEST_F(Cleanup, LeavesAFolderThatAMaskMatches) {
    fs::create_directory(dir / "Old7.bpl");
    dir.write("Old7.bpl/inner7.bpl", "not searched");
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(fs::is_directory(dir / "Old7.bpl"));
    EXPECT_TRUE(exists("Old7.bpl/inner7.bpl"));  // sub-folders are not entered
}

TEST_F(Cleanup, ReadOnlyFileStaysWithOneReportCarryingItsFullName) {
    makeReadOnly("midas.dll");
    EXPECT_EQ(run(), std::vector<std::string>{report("midas.dll")});
    EXPECT_TRUE(exists("midas.dll"));
    // The attribute was not cleared on the way.
    EXPECT_TRUE(readOnly("midas.dll"));
}

TEST_F(Cleanup, TabdefIniOnlyInsideTheTabdefFolder) {
    dir.write("TABDEF/tabdef.ini", "old");
    dir.write("tabdef.ini", "keep");
    EXPECT_TRUE(run().empty());
    EXPECT_FALSE(exists("TABDEF/tabdef.ini"));
    EXPECT_TRUE(fs::is_directory(dir / "TABDEF"));
    EXPECT_TRUE(exists("tabdef.ini"));
}

TEST_F(Cleanup, TabdefFolderAndFileMatchRegardlessOfCase) {
    dir.write("TabDef/TABDEF.INI", "old");
    EXPECT_TRUE(run().empty());
    EXPECT_FALSE(exists("TabDef/TABDEF.INI"));
}

TEST_F(Cleanup, ReportOfAFileUnderTabdefNamesTheMasksFolderPart) {
    makeReadOnly("TABDEF/tabdef.ini");
    EXPECT_EQ(run(), std::vector<std::string>{report("TABDEF\\tabdef.ini")});
    EXPECT_TRUE(exists("TABDEF/tabdef.ini"));
}

TEST_F(Cleanup, HiddenFilesAreDeleted) {
    // POSIX hides a name that starts with a dot; Windows needs the attribute as well.
    for (const char* name : {".x7.bpl", ".PNG.bpl"})
        ASSERT_TRUE(files->setAttributes(dir.write(name, "hidden"), platform::attr::Hidden));
    ASSERT_TRUE(files->attributes(dir.folder() + ".x7.bpl").value_or(0) & platform::attr::Hidden);
    EXPECT_TRUE(run().empty());
    EXPECT_FALSE(exists(".x7.bpl"));
    EXPECT_TRUE(exists(".PNG.bpl"));
}

TEST_F(Cleanup, TwoUndeletableFilesGiveTwoReportsInMaskOrder) {
    makeReadOnly("midas.dll");   // mask 9
    makeReadOnly("Abc74.bpl");   // mask 5
    makeReadOnly("pkTamber_Sender.bpl");  // mask 20
    dir.write("Abc7.bpl", "deleted");  // mask 2
    EXPECT_EQ(run(), (std::vector<std::string>{report("Abc74.bpl"), report("midas.dll"),
                                              report("pkTamber_Sender.bpl")}));
    EXPECT_FALSE(exists("Abc7.bpl"));
}

TEST_F(Cleanup, MissingFolderReportsNothing) {
    std::vector<std::string> reports;
    ExcluirArq(*files, dir.folder() + "nada\\*7.bpl", [&](const std::string& t) { reports.push_back(t); });
    ApagaAntigos(*files, dir.folder() + "nada/", [&](const std::string& t) { reports.push_back(t); });
    EXPECT_TRUE(reports.empty());
}

// The clean-up deletes what the sweeps copy back from the server program folder: it may run only
// when that folder can be listed and is not the program folder under another spelling.
TEST_F(Cleanup, RunsOnlyWhenAnotherListableFolderCanBringTheFilesBack) {
    fs::create_directories(dir / "Estacao/QOR7");
    fs::create_directories(dir / "Servidor/QOR7");
    const std::string programa = dir.folder() + "Estacao/QOR7/";
    EXPECT_TRUE(process::ServidorPodeRepor(*files, dir.folder() + "Servidor/QOR7\\", programa));
    std::string spelled = dir.folder() + "ESTACAO\\qor7\\";
    EXPECT_FALSE(process::ServidorPodeRepor(*files, spelled, programa));
    EXPECT_FALSE(process::ServidorPodeRepor(*files, dir.folder() + "Estacao/QOR7/../QOR7/", programa));
    EXPECT_FALSE(process::ServidorPodeRepor(*files, dir.folder() + "Rede/QOR7\\", programa));  // cannot be listed
#ifndef _WIN32
    fs::create_directory_symlink(dir / "Estacao/QOR7", dir / "Servidor/Atalho");
    EXPECT_FALSE(process::ServidorPodeRepor(*files, dir.folder() + "Servidor/Atalho/", programa));
#endif
}
