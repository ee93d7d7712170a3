// The catalogue phase inside the update run, on real server and terminal folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/run_state.h"
#include "platform/text.h"
#include "run_fixture.h"
#include "support/environment.h"
#include "support/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

const platform::LocalDateTime kOntem{2024, 3, 10, 8, 0, 0};
const platform::LocalDateTime kOntemMaisDois{2024, 3, 10, 8, 0, 2};

// What the window showed when a copy started.
struct Copia {
    std::string lbArquivo, lbArquivo2, Label3, origem, destino;
};

class CatalogueRun : public app_test::RunTest {
protected:
    CatalogueRun() {
        WriteSettings();
        beforeRun = [this](app::TFrmAtuModulo& splash) {
            auto original = splash.FxFileManager1.OnStart;
            splash.FxFileManager1.OnStart = [this, &splash, original](fileops::TFxFileManager& sender) {
                copies.push_back({splash.lbArquivo.Caption, splash.lbArquivo2.Caption, splash.Label3.Caption,
                                  app::ArqOrigem, app::ArqDestino});
                original(sender);
            };
        };
    }
    ~CatalogueRun() override { testing_support::SetEnv("ATUALIZA_CONFIRM", nullptr); }
    std::vector<std::string> CopiedFrom() const {
        std::vector<std::string> names;
        for (const Copia& c : copies) names.push_back(platform::fileNamePart(c.origem));
        return names;
    }
    std::vector<Copia> copies;
};

TEST_F(CatalogueRun, AMissingModuleIsCopiedShowingItsTitleAndServerPath) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema Principal")});
    Server("QOR7.EXE", "módulo novo");
    const std::string out = RunUpdate();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].lbArquivo, "Sistema Principal");
    EXPECT_EQ(copies[0].lbArquivo2, platform::pathForDisplay(serverFolder + "QOR7.EXE"));
    EXPECT_EQ(copies[0].Label3, "Aguarde ...");
    EXPECT_EQ(copies[0].origem, platform::pathForDisplay(serverFolder + "QOR7.EXE"));
    EXPECT_EQ(copies[0].destino, terminalFolder + "QOR7.EXE");
    EXPECT_EQ(Form().lbArquivo2.Caption, "");
    EXPECT_EQ(TerminalText("QOR7.EXE"), "módulo novo");
    EXPECT_EQ(Form().LabTotalBytes.Caption, "Total: 12");
    EXPECT_EQ(Form().LabBytesCopiados.Caption, "12 bytes processados");
    EXPECT_EQ(out, "--- information\nArquivos Atualizados :\n\n  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\n\n"
                   "--- answer: OK\n");
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(CatalogueRun, TimesDecideEqualAndNewerLocalStayTwoSecondsNewerIsCopied) {
    WriteCatalogue({ModuleLine("IGUAL.EXE", "Igual"), ModuleLine("LOCAL.EXE", "Local mais novo"),
                    ModuleLine("NOVO.EXE", "Servidor mais novo")});
    for (const char* name : {"IGUAL.EXE", "LOCAL.EXE", "NOVO.EXE"}) {
        SetTime(Server(name, "servidor"), kOntem);
        SetTime(Terminal(name, "estacao/terminal"), kOntem);
    }
    SetTime(terminalFolder + "LOCAL.EXE", kOntemMaisDois);
    SetTime(serverFolder + "NOVO.EXE", kOntemMaisDois);
    RunUpdate();
    EXPECT_EQ(CopiedFrom(), std::vector<std::string>{"NOVO.EXE"});
    EXPECT_EQ(TerminalText("NOVO.EXE"), "servidor");
    EXPECT_EQ(TerminalText("IGUAL.EXE"), "estacao/terminal");
    EXPECT_EQ(TerminalText("LOCAL.EXE"), "estacao/terminal");
}

TEST_F(CatalogueRun, SkipListPackagesInLowerCaseAndPlainLines) {
    WriteCatalogue({ModuleLine("atualizaterminalqor7.exe", "O atualizador"), "  pkqor.bpl", "LEIAME.TXT", "",
                    "SEM_NO_SERVIDOR.DLL"});
    Server("atualizaterminalqor7.exe");
    Server("pkqor.bpl");
    Server("LEIAME.TXT");
    RunUpdate();
    EXPECT_FALSE(TerminalHas("atualizaterminalqor7.exe"));
    ASSERT_EQ(CopiedFrom(), (std::vector<std::string>{"pkqor.bpl", "LEIAME.TXT"}));
    EXPECT_EQ(copies[0].lbArquivo, "Arquivo BPL");
    EXPECT_EQ(copies[1].lbArquivo, "LEIAME.TXT");
    // The sweep appended the package too; by then it was current, so it is copied once.
    EXPECT_EQ(Form().Memo1.Lines.back(), "pkqor.bpl");
}

TEST_F(CatalogueRun, EmptyCatalogueWithNothingToSweepShowsTheResolvedFolderThenLaunches) {
    WriteCatalogue({});
    const std::string out = RunUpdate();
    EXPECT_EQ(out, "--- plain\nAtenção o Arquivo: " + platform::pathForDisplay(serverFolder + "TABDEF\\MODULOS.DAT") +
                       " não foi carregado, favor atualizar o TABDEF.\n--- answer: OK\n");
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(CatalogueRun, EmptyCatalogueButAServerPackageMissingHereCopiesItWithoutAMessage) {
    WriteCatalogue({});
    Server("PKNOVO.BPL");
    Server("dir.bpl/x", "");  // a folder that matches the mask is listed, never copied
    const std::string out = RunUpdate();
    EXPECT_EQ(out, "");
    EXPECT_EQ(CopiedFrom(), std::vector<std::string>{"PKNOVO.BPL"});
    EXPECT_TRUE(TerminalHas("PKNOVO.BPL"));
}

TEST_F(CatalogueRun, SweepsFollowTheCatalogueAndAServerWithoutLibrariesAddsNone) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Principal")});
    Server("PKA.BPL");
    RunUpdate();
    EXPECT_EQ(Form().Memo1.Lines, (std::vector<std::string>{ModuleLine("QOR7.EXE", "Principal"), "PKA.BPL"}));
}

TEST_F(CatalogueRun, ASubFolderIsCreatedOnlyWhenTheQuestionIsAnsweredYes) {
    WriteCatalogue({"RELATORIOS\\VENDAS.DLL"});
    Server("RELATORIOS/VENDAS.DLL", "relatório");
    const std::string question = "--- confirmation\nO diretório de destino\n" +
                                 platform::pathForDisplay(terminalFolder + "RELATORIOS\\") +
                                 "\nnão existe. Deseja cria-lo agora?\n--- answer: ";
    const std::string no = RunUpdate();
    EXPECT_EQ(no, question + "No\n");
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/RELATORIOS"));
}

TEST_F(CatalogueRun, ASubFolderAnsweredYesIsCreatedAndFilled) {
    testing_support::SetEnv("ATUALIZA_CONFIRM", "yes");
    WriteCatalogue({"RELATORIOS\\VENDAS.DLL"});
    Server("RELATORIOS/VENDAS.DLL", "relatório");
    const std::string yes = RunUpdate();
    EXPECT_NE(yes.find("--- answer: Yes\n"), std::string::npos) << yes;
    EXPECT_EQ(TerminalText("RELATORIOS/VENDAS.DLL"), "relatório");
}

TEST_F(CatalogueRun, AnErrorAtTheThirdLineNamesItsTitle) {
    WriteCatalogue({ModuleLine("A.EXE", "Primeiro"), ModuleLine("B.EXE", "Segundo"),
                    ModuleLine("C.EXE", "Contas a Receber"), ModuleLine("D.EXE", "Quarto")});
    for (const char* name : {"A.EXE", "C.EXE", "D.EXE"}) Server(name);
    Terminal("ATUALIZA.DAT", "");
    processes->add("SERVERQOR.EXE", 5);
    // The window fails while C.EXE is copied (a toolkit error, say).
    beforeRun = [record = beforeRun](app::TFrmAtuModulo& splash) {
        record(splash);
        splash.FxFileManager1.OnProgress = [](fileops::TFxFileManager& sender) {
            if (sender.InfoSrc().Name == "C.EXE") throw std::runtime_error("janela perdida");
        };
    };
    const std::string out = RunUpdate();
    EXPECT_EQ(out, "--- plain\nOcorreram erros na Atualização do Módulo : (Contas a Receber)\n"
                   "Verifique se o mesmo não está aberto.\n--- answer: OK\n");
    EXPECT_EQ(CopiedFrom(), (std::vector<std::string>{"A.EXE", "C.EXE"}));  // what came before stays copied
    EXPECT_FALSE(TerminalHas("C.EXE"));
    EXPECT_FALSE(TerminalHas("D.EXE"));
    EXPECT_FALSE(TerminalHas("ATUALIZA.DAT"));
    // The server program ended on the way starts again on this path too, before the main module.
    EXPECT_EQ(Launched(), (std::vector<std::string>{"SERVERQOR.EXE", "QOR7.exe"}));
}

// Times from an archive or a Unix tool (1970) or past 2107: each file is judged by its own times
// and the run goes on; a second run has nothing left to copy.
TEST_F(CatalogueRun, TimesTheDosFormCannotHoldConcernTheirOwnFileOnly) {
    const auto fiftyYears = std::chrono::hours(24 * 365 * 50);
    const fs::file_time_type now = fs::file_time_type::clock::now();
    WriteCatalogue({ModuleLine("VELHO.EXE", "Servidor de 1970"), ModuleLine("TERM.EXE", "Estação de 1970"),
                    ModuleLine("NOVO.EXE", "Depois dos outros")});
    for (const char* name : {"VELHO.EXE", "TERM.EXE", "NOVO.EXE", "PKANTIGO.BPL", "FUTURO.DLL"}) Server(name);
    Terminal("VELHO.EXE");
    Terminal("TERM.EXE");
    Terminal("PKANTIGO.BPL");
    fs::last_write_time(dir / "rede/servidor/QOR7/VELHO.EXE", now - fiftyYears);
    fs::last_write_time(dir / "rede/servidor/QOR7/PKANTIGO.BPL", now - fiftyYears);
    fs::last_write_time(dir / "rede/servidor/QOR7/FUTURO.DLL", now + 2 * fiftyYears);
    fs::last_write_time(dir / "estacao/terminal/TERM.EXE", now - fiftyYears);
    const std::string out = RunUpdate();
    EXPECT_EQ(out.find("Ocorreram erros"), std::string::npos) << out;
    EXPECT_EQ(CopiedFrom(), (std::vector<std::string>{"TERM.EXE", "NOVO.EXE", "FUTURO.DLL"}));
    EXPECT_EQ(TerminalText("VELHO.EXE"), "terminal");
    EXPECT_EQ(machine.files->stampOf(terminalFolder + "FUTURO.DLL")->lastWrite,
              machine.files->stampOf(serverFolder + "FUTURO.DLL")->lastWrite);  // kept exactly

    application.DestroyAllForms();
    copies.clear();
    EXPECT_EQ(RunUpdate(), "");
    EXPECT_TRUE(copies.empty());
}

// Throws while the library sweep searches: an error outside the walk.
class SweepFailure : public testing_support::FaultyFileSystem {
public:
    using FaultyFileSystem::FaultyFileSystem;
    std::vector<platform::DirEntry> find(const std::string& pattern) override {
        if (pattern.ends_with("*.DLL")) throw std::runtime_error("busca falhou");
        return FaultyFileSystem::find(pattern);
    }
};

TEST_F(CatalogueRun, AnErrorOutsideTheWalkNamesNoLine) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Primeira linha")});
    machine.files = std::make_shared<SweepFailure>(machine.files);
    EXPECT_EQ(RunUpdate(), "--- plain\nOcorreram erros na Atualização do Módulo : ()\n"
                           "Verifique se o mesmo não está aberto.\n--- answer: OK\n");
}

TEST_F(CatalogueRun, ReportListsTwoExecutablesAndPackagesAloneGiveNoBox) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Principal"), "PKA.BPL", ModuleLine("BIMRO7.EXE", "Estoque"), "X.DLL"});
    Server("QOR7.EXE", std::string(20000, 'q'));
    Server("BIMRO7.EXE", std::string(1500000, 'b'));
    Server("PKA.BPL");
    Server("X.DLL");
    const std::string out = RunUpdate();
    EXPECT_EQ(out, "--- information\nArquivos Atualizados :\n\n"
                   "  Arquivo: QOR7.EXE            -  Tamanho: 20 Kb\n"
                   "  Arquivo: BIMRO7.EXE          -  Tamanho: 1.465 Kb\n\n--- answer: OK\n");
    EXPECT_EQ(Form().pgbr.Max(), 8);  // the range of the last copy: X.DLL, 8 bytes
}

TEST_F(CatalogueRun, ASecondRunCopiesNothing) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Principal"), "PKQOR.BPL"});
    Server("QOR7.EXE");
    Server("PKQOR.BPL");
    Server("LIB.DLL");
    RunUpdate();
    EXPECT_EQ(copies.size(), 3u);

    application.DestroyAllForms();
    copies.clear();
    const std::string out = RunUpdate();
    EXPECT_TRUE(copies.empty());
    EXPECT_EQ(out, "");
}

}  // namespace
