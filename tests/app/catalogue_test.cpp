// The catalogue phase's decisions on their own: reading MODULOS.DAT, line classification, the
// skip list, name safety, the copy decision by DOS time and the sweeps.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/catalogue.h"
#include "platform/dos_time.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using app::ClassificaLinha;
using app::NomeSeguro;

std::string ModuleLineFor(const std::string& exe, const std::string& title) {
    return exe + std::string(26 - exe.size(), ' ') + title;
}

class CatalogueFiles : public ::testing::Test {
protected:
    std::vector<std::string> Load(const std::string& bytes) {
        return app::CarregaCatalogo(*machine.files, *machine.system, dir.write("MODULOS.DAT", bytes));
    }
    void SetDos(const std::string& path, int year, int second) {
        const auto dos = platform::packDosDateTime({year, 6, 15, 10, 20, second});
        ASSERT_TRUE(dos);
        ASSERT_TRUE(machine.files->openRead(path)->setLastWriteDos(*dos));
    }
    // The decision for a name the record does not know (time rules alone), from fresh listings.
    bool Decide(const std::string& name) {
        app::Listagens folders(*machine.files);
        return app::DecideCopia(folders, semRegistro, name, dir.folder() + "srv/", dir.folder() + "term/").copiar;
    }
    std::vector<std::string> Sweep(const std::string& mask) {
        app::Listagens folders(*machine.files);
        return app::VarreServidor(*machine.files, folders, semRegistro, dir.folder() + "srv/", dir.folder() + "term/", mask);
    }
    acervo::Acervo semRegistro;
    testing_support::TempDir dir;
    platform::Platform machine = platform::makeNativePlatform();
};

TEST_F(CatalogueFiles, LineEndsOfEveryKindAndNoEmptyLastLine) {
    EXPECT_EQ(Load("A.EXE\r\nB.BPL\nC.DLL\rD\r\n"), (std::vector<std::string>{"A.EXE", "B.BPL", "C.DLL", "D"}));
    EXPECT_EQ(Load("A\r\n\r\nB"), (std::vector<std::string>{"A", "", "B"}));
    EXPECT_EQ(Load("A\n\n"), (std::vector<std::string>{"A", ""}));
    EXPECT_TRUE(Load("").empty());
}

TEST_F(CatalogueFiles, ByteOrderMarksNameTheEncodingOtherwiseUtf8OrWindows1252) {
    const std::vector<std::string> expected{"Módulo", "Ação"};
    EXPECT_EQ(Load("\xEF\xBB\xBFMódulo\r\nAção\r\n"), expected);
    EXPECT_EQ(Load(std::string("\xFF\xFEM\0\xF3\0d\0u\0l\0o\0\r\0\n\0A\0\xE7\0\xE3\0o\0", 26)), expected);
    EXPECT_EQ(Load(std::string("\xFE\xFF\0M\0\xF3\0d\0u\0l\0o\0\n\0A\0\xE7\0\xE3\0o", 24)), expected);
    EXPECT_EQ(Load("M\xF3" "dulo\r\nA\xE7\xE3o"), expected);  // ANSI bytes, not UTF-8
    // UTF-8 without a mark, as current Notepad saves it: UTF-8 on Windows too.
    EXPECT_EQ(Load("Módulo\r\nAção"), expected);
    // One byte that is no UTF-8 makes the whole file ANSI: never half read in each encoding.
    EXPECT_EQ(Load("Módulo\r\nA\xE7\xE3o"), (std::vector<std::string>{"MÃ³dulo", "Ação"}));
}

TEST_F(CatalogueFiles, MissingOrUnreadableCatalogueRaises) {
    EXPECT_THROW(app::CarregaCatalogo(*machine.files, *machine.system, dir.folder() + "MODULOS.DAT"),
                 app::CatalogoError);
    fs::create_directory(dir / "PASTA.DAT");
    EXPECT_THROW(app::CarregaCatalogo(*machine.files, *machine.system, dir.folder() + "PASTA.DAT"), app::CatalogoError);
}

// A catalogue that another program is writing (open, shared with nobody) is not read in part.
TEST_F(CatalogueFiles, ACatalogueBeingWrittenFailsTheRead) {
    const std::string path = dir.write("MODULOS.DAT", "QOR7.EXE\r\n");
    {
        std::unique_ptr<platform::File> writer = machine.files->createExclusive(path);
        ASSERT_TRUE(writer);
        writer->write("PKA.BPL\r\n", 9);
        EXPECT_THROW(app::CarregaCatalogo(*machine.files, *machine.system, path), app::CatalogoError);
    }
    EXPECT_EQ(app::CarregaCatalogo(*machine.files, *machine.system, path), std::vector<std::string>{"PKA.BPL"});
}

TEST(ClassificaLinha, ModuleLinesHaveFixedColumnsCountedInCharacters) {
    const std::string line = "QOR7.EXE                  Sistema Principal";
    ASSERT_EQ(line.find('S'), 26u);
    EXPECT_EQ(ClassificaLinha(line).nome, "QOR7.EXE");
    EXPECT_EQ(ClassificaLinha(line).rotulo, "Sistema Principal");
    // Leading blanks count, letters beyond column 26 belong to the title, tabs are trimmed.
    EXPECT_EQ(ClassificaLinha("  qor7.exe                Título\t").nome, "qor7.exe");
    EXPECT_EQ(ClassificaLinha("  qor7.exe                Título\t").rotulo, "Título");
    // Accented letters are one character each.
    const std::string accented = "MÓDULO.EXE                Cadastro de Ações";
    EXPECT_EQ(ClassificaLinha(accented).nome, "MÓDULO.EXE");
    EXPECT_EQ(ClassificaLinha(accented).rotulo, "Cadastro de Ações");
    // The title ends at column 106.
    const std::string longTitle = ModuleLineFor("X.EXE", std::string(80, 'T') + "RESTO");
    EXPECT_EQ(ClassificaLinha(longTitle).rotulo, std::string(80, 'T'));
    EXPECT_EQ(ClassificaLinha("X.EXE").rotulo, "");
}

TEST(ClassificaLinha, ExeWinsOverBplWhichWinsOverDllElseTheWholeLine) {
    EXPECT_EQ(ClassificaLinha("PKG.BPL.EXE").nome, "PKG.BPL.EXE");
    EXPECT_EQ(ClassificaLinha("  pkqor70.bpl  ").nome, "pkqor70.bpl");
    EXPECT_EQ(ClassificaLinha("  pkqor70.bpl  ").rotulo, "Arquivo BPL");
    EXPECT_EQ(ClassificaLinha("midas.DLL.bpl").rotulo, "Arquivo BPL");
    EXPECT_EQ(ClassificaLinha("midas.dll").rotulo, "Arquivo DLL");
    EXPECT_EQ(ClassificaLinha(" LEIAME.TXT ").nome, "LEIAME.TXT");
    EXPECT_EQ(ClassificaLinha(" LEIAME.TXT ").rotulo, "LEIAME.TXT");
    EXPECT_EQ(ClassificaLinha("   ").nome, "");
}

TEST(TituloDaLinha, EmptyForShortLines) {
    EXPECT_EQ(app::TituloDaLinha(""), "");
    EXPECT_EQ(app::TituloDaLinha(std::string(26, 'x')), "");
    EXPECT_EQ(app::TituloDaLinha(std::string(26, 'x') + "  Estoque "), "Estoque");
}

TEST(NaListaDePulo, TheUpdaterAndVolmarWhateverTheirCase) {
    EXPECT_TRUE(app::NaListaDePulo("atualizaterminalqor7.exe"));
    EXPECT_TRUE(app::NaListaDePulo("Volmar.Exe"));
    EXPECT_FALSE(app::NaListaDePulo("QOR7.EXE"));
    EXPECT_FALSE(app::NaListaDePulo("ATUALIZATERMINALQOR7.EXE "));
}

TEST(NomeSeguro, SubFoldersStayInsideTheProgramFolder) {
    for (const char* ok : {"QOR7.EXE", "sub\\x.dll", "sub/x.dll", "sub\\..\\x.dll", ".\\x.dll", "a\\b\\..\\..\\x.dll"})
        EXPECT_TRUE(NomeSeguro(ok)) << ok;
    for (const char* bad : {"..\\x.dll", "..\\..\\x.dll", "../x.dll", "sub\\..\\..\\x.dll", "\\x.dll", "/etc/x",
                            "C:x.dll", "C:\\QOR7\\x.dll", "\\\\srv\\x.dll", "...\\x.dll", "", "a.dll:stream"})
        EXPECT_FALSE(NomeSeguro(bad)) << bad;
    EXPECT_FALSE(NomeSeguro(std::string("..\0\\x.dll", 9)));  // the system would read ".."
}

TEST_F(CatalogueFiles, CopyDecisionByDosTimeStrictlyNewer) {
    const std::string server = dir.write("srv/A.EXE", "s"), local = dir.write("term/A.EXE", "t");
    dir.write("srv/NOVO.EXE", "s");
    dir.write("term/SO_NO_TERMINAL.EXE", "t");
    EXPECT_TRUE(Decide("NOVO.EXE"));
    EXPECT_FALSE(Decide("SO_NO_TERMINAL.EXE"));

    SetDos(server, 2024, 10);
    SetDos(local, 2024, 10);
    EXPECT_FALSE(Decide("A.EXE"));  // equal
    SetDos(local, 2024, 12);
    EXPECT_FALSE(Decide("A.EXE"));  // the terminal's is newer
    SetDos(server, 2024, 14);
    EXPECT_TRUE(Decide("A.EXE"));  // two seconds newer

    // One second later lies in the same two-second step.
    SetDos(server, 2024, 12);
    fs::last_write_time(dir / "srv/A.EXE", fs::last_write_time(dir / "term/A.EXE") + std::chrono::seconds(1));
    EXPECT_FALSE(Decide("A.EXE"));
}

TEST_F(CatalogueFiles, AFolderIsNoFileAndTimesOutsideTheDosYearsCompareAsTheyAre) {
    fs::create_directories(dir / "srv/PASTA.EXE");
    EXPECT_FALSE(Decide("PASTA.EXE"));

    const std::string server = dir.write("srv/B.EXE", "s"), local = dir.write("term/B.EXE", "t");
    const auto fiftyYears = std::chrono::hours(24 * 365 * 50);
    const fs::file_time_type now = fs::file_time_type::clock::now();
    fs::last_write_time(dir / "term/B.EXE", now - fiftyYears);
    EXPECT_TRUE(Decide("B.EXE"));  // a 1970s terminal copy is older
    fs::last_write_time(dir / "term/B.EXE", now);
    fs::last_write_time(dir / "srv/B.EXE", now - fiftyYears);
    EXPECT_FALSE(Decide("B.EXE"));
    fs::last_write_time(dir / "term/B.EXE", now - fiftyYears - std::chrono::seconds(1));
    EXPECT_TRUE(Decide("B.EXE"));  // both before 1980: to the second
    fs::last_write_time(dir / "srv/B.EXE", now + 2 * fiftyYears);     // after 2107
    EXPECT_TRUE(Decide("B.EXE"));
    fs::remove(dir / "term/B.EXE");
    EXPECT_FALSE(app::VersaoDe(*machine.files, local));  // gone: a missing file, copied
    EXPECT_TRUE(Decide("B.EXE"));
}

TEST_F(CatalogueFiles, SweepsAppendWhatIsMissingOrOlderInSearchOrder) {
    for (const char* name : {"NOVO.BPL", "IGUAL.BPL", "VELHO.bpl", "OUTRO.DLL"}) {
        dir.write(std::string("srv/") + name, "s");
        SetDos(dir.folder() + "srv/" + name, 2024, 20);
    }
    dir.write("term/IGUAL.BPL", "t");
    SetDos(dir.folder() + "term/IGUAL.BPL", 2024, 20);
    dir.write("term/velho.BPL", "t");
    SetDos(dir.folder() + "term/velho.BPL", 2024, 18);

    std::vector<std::string> expected;
    for (const platform::DirEntry& entry : machine.files->find(dir.folder() + "srv/*.BPL"))
        if (entry.name != "IGUAL.BPL") expected.push_back(entry.name);
    EXPECT_EQ(Sweep("*.BPL"), expected);
    EXPECT_EQ(expected.size(), 2u);
    EXPECT_EQ(Sweep("*.DLL"),
              std::vector<std::string>{"OUTRO.DLL"});
    fs::remove(dir / "srv/OUTRO.DLL");
    EXPECT_TRUE(Sweep("*.DLL").empty());
}

}  // namespace
