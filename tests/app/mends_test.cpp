// Three faults of the described behaviour that the run avoids: a server share that is down must
// not strip the terminal, the fallback copy must not delete before it has the new file, and a
// catalogue name must not write outside the program folder.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <stdexcept>

#include "app/exit_status.h"
#include "platform/text.h"
#include "run_fixture.h"
#include "platform/forwarding_file_system.h"
#include "support/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

class Mends : public app_test::RunTest {
protected:
    Mends() { WriteSettings(); }
};

TEST_F(Mends, ShareDownDeletesNothingAndStartsTheMainModule) {
    fs::remove_all(dir / "rede");
    Terminal("PKQOR7.bpl");  // matches the clean-up's masks
    Terminal("midas.dll");
    const std::string out = RunUpdate();
    EXPECT_TRUE(TerminalHas("PKQOR7.bpl"));
    EXPECT_TRUE(TerminalHas("midas.dll"));
    // An error, with the error's icon, and the splash says the server did not answer.
    EXPECT_EQ(out,
              "--- error\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
              "--- answer: OK\n");
    EXPECT_EQ(Form().lErroM1.Caption.rfind("Não foi possível acessar a pasta do servidor: ", 0), 0u) << Form().lErroM1.Caption;
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(Mends, WithTheShareUpTheCleanUpStillRunsBeforeTheWalk) {
    WriteCatalogue({"PKQOR7.bpl"});
    Server("PKQOR7.bpl", "novo");
    Terminal("PKQOR7.bpl", "velho");
    Terminal("midas.dll");
    RunUpdate();
    EXPECT_FALSE(TerminalHas("midas.dll"));
    EXPECT_EQ(TerminalText("PKQOR7.bpl"), "novo");
}

// A single-machine installation: the settings name the updater's own folder (spelled otherwise)
// as the server's. What the clean-up would delete could come back from nowhere.
TEST_F(Mends, ASingleMachineInstallationDeletesNothing) {
    std::string proprio = dir.folder() + "ESTACAO\\Terminal\\";
    dir.write("estacao/terminal/qor.ini", "[QOR]\r\nCaminho_Base_Dados=" + proprio + "\r\n");
    dir.write("estacao/terminal/TABDEF/MODULOS.DAT", "PKQOR7.bpl\r\n");
    dir.write("estacao/terminal/TABDEF/tabdef.ini", "");
    Terminal("PKQOR7.bpl");
    Terminal("midas.dll");
    EXPECT_EQ(RunUpdate(), "");
    EXPECT_TRUE(TerminalHas("PKQOR7.bpl"));
    EXPECT_TRUE(TerminalHas("midas.dll"));
    EXPECT_TRUE(TerminalHas("TABDEF/tabdef.ini"));
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

// The catalogue lies apart from the server program folder, which cannot be listed.
TEST_F(Mends, AServerProgramFolderThatCannotBeListedDeletesNothing) {
    dir.write("estacao/terminal/qor.ini", "[QOR]\r\nCaminho_Base_Dados=" + dir.folder() +
                                              "faltando\\\r\nCaminho_TabDef=" + dir.folder() + "rede/servidor/QOR7\\\r\n");
    WriteCatalogue({"PKQOR7.bpl"});
    Terminal("PKQOR7.bpl");
    Terminal("midas.dll");
    // Nothing could be judged: the user is told, and the exit status says so.
    EXPECT_EQ(RunUpdate(), "--- error\nNão foi possível ler a pasta de programas do servidor:\n" +
                               platform::pathForDisplay(dir.folder() + "faltando\\\\") +
                               "\n\nA atualização parou em PKQOR7.bpl: este arquivo e os seguintes não foram conferidos.\n"
                               "Avise o suporte; a próxima execução termina a atualização.\n--- answer: OK\n");
    EXPECT_EQ(Form().CodigoSaida, 16);
    EXPECT_TRUE(TerminalHas("PKQOR7.bpl"));
    EXPECT_TRUE(TerminalHas("midas.dll"));
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

class FallbackCopy : public Mends {
protected:
    FallbackCopy() {
        faulty = std::make_shared<testing_support::FaultyFileSystem>(machine.files);
        machine.files = faulty;
        WriteCatalogue({ModuleLine("QOR7.EXE", "Principal")});
        SetTime(Server("QOR7.EXE", "versão nova"), {2024, 5, 1, 9, 0, 2});
        SetTime(Terminal("QOR7.EXE", "versão antiga"), {2024, 5, 1, 9, 0, 0});
    }
    // Files beside the program (the kept versions' folder aside).
    size_t Files() const {
        return static_cast<size_t>(std::count_if(fs::directory_iterator(dir / "estacao/terminal"), {},
                                                 [](const fs::directory_entry& e) { return e.is_regular_file(); }));
    }
    std::shared_ptr<testing_support::FaultyFileSystem> faulty;
};

TEST_F(FallbackCopy, WhenItFailsTooTheOldFileStaysWhole) {
    faulty->MakeUnreadable("QOR7.EXE");  // the component cannot open it, nor can the platform copy
    const std::string out = RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), "versão antiga");
    EXPECT_EQ(Files(), 3u);  // qor.ini, QOR7.EXE, log
    EXPECT_EQ(Form().lErroM1.Caption, "Método 01 (Erro na abertura do arquivo de origem.)");
    // The second way failed too, and the window says so until the end.
    EXPECT_TRUE(Form().lErroM1.Visible);
    EXPECT_TRUE(Form().IErro.Visible);
    EXPECT_TRUE(Form().lErroM2.Visible);
    EXPECT_EQ(Form().lErroM2.Caption.rfind("Método 02 (", 0), 0u);
    EXPECT_EQ(Form().Label3.Caption, "Aguarde .....");
    // The terminal still holds the old module: it is named as not updated, never as updated.
    EXPECT_EQ(out, "--- warning\nArquivos NÃO Atualizados (avise o suporte) :\n\n"
                   "  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\n\n--- answer: OK\n");
    EXPECT_EQ(Form().CodigoSaida, 2);
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

// A file that stayed old, then the failure path (a platform call that breaks its promise and
// raises after the copies): both count, 1 + 2.
TEST_F(FallbackCopy, AFileThatStayedOldStillCountsOnTheFailurePath) {
    class RaisesAtTheMarker : public platform::ForwardingFileSystem {
    public:
        using ForwardingFileSystem::ForwardingFileSystem;
        bool fileExists(const std::string& path) override {
            if (path.ends_with("ATUALIZA.DAT")) throw std::runtime_error("o sistema de arquivos quebrou");
            return ForwardingFileSystem::fileExists(path);
        }
    };
    faulty->MakeUnreadable("QOR7.EXE");
    machine.files = std::make_shared<RaisesAtTheMarker>(faulty);
    const std::string out = RunUpdate();
    EXPECT_NE(out.find("Ocorreram erros na Atualização do Módulo : ()"), std::string::npos) << out;
    EXPECT_EQ(TerminalText("QOR7.EXE"), "versão antiga");
    EXPECT_EQ(Form().CodigoSaida, 3);
}

TEST_F(FallbackCopy, WhenTheComponentFailsThePlatformCopyBringsTheNewFile) {
    faulty->ShortWriteAtBlock(1);
    const std::string out = RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), "versão nova");
    EXPECT_EQ(Form().lErroM1.Caption, "Método 01 (Erro durante a gravação do arquivo de destino.)");
    EXPECT_EQ(Files(), 3u);  // no temporary left
    EXPECT_EQ(out, "--- information\nArquivos Atualizados :\n\n  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\n\n"
                   "--- answer: OK\n");
    // This disk cuts every write, the record's too: the run says so, and nothing else went wrong.
    EXPECT_EQ(Form().CodigoSaida, app::SaidaAcervoNaoGravado);
}

TEST_F(Mends, CatalogueNamesThatClimbOutOfTheProgramFolderAreNotCopied) {
    // From the server folder and from the terminal folder "..\..\" leads to two different places.
    WriteCatalogue({"..\\..\\x.dll", "..\\fora.dll", "SUB\\..\\dentro.dll"});
    dir.write("rede/x.dll", "servidor");
    dir.write("rede/servidor/fora.dll", "servidor");
    Server("dentro.dll");
    RunUpdate();
    EXPECT_FALSE(fs::exists(dir / "x.dll"));
    EXPECT_FALSE(fs::exists(dir / "estacao/fora.dll"));
    EXPECT_TRUE(TerminalHas("dentro.dll"));
}

}  // namespace
