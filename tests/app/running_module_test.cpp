// A terminal module that is still running when the run reaches its line. Windows refuses to replace
// the file of a running program: the copy ends with feDestExists, the old file stays as it was, and
// the run goes on. (Linux replaces a running program's name without complaint, so this case exists
// only on Windows; there the copy simply succeeds.)
#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>

#include "run_fixture.h"
#include "support/running_program.h"

namespace {

using app_test::ModuleLine;

class RunningModule : public app_test::RunTest {
protected:
    RunningModule() { WriteSettings(); }
};

TEST_F(RunningModule, CannotBeReplacedTheOldFileStaysAndTheRunGoesOn) {
    WriteCatalogue({ModuleLine("BIMRO7.EXE", "Estoque"), ModuleLine("FINAN7.EXE", "Financeiro")});
    // The process table the run sees is scripted and empty: the closing phase leaves this one alone.
    testing_support::RunningProgram running(terminalFolder + "BIMRO7.EXE");
    ASSERT_TRUE(running.started());
    const std::string before = TerminalText("BIMRO7.EXE");
    SetTime(Server("BIMRO7.EXE", "versão nova do estoque"), {2099, 1, 1, 8, 0, 0});  // newer than any copy here
    Server("FINAN7.EXE", "financeiro novo");

    std::vector<std::string> errorLines;
    std::vector<int64_t> bytesBeforeTheError;
    beforeRun = [&](app::TFrmAtuModulo& splash) {
        auto original = splash.FxFileManager1.OnError;
        splash.FxFileManager1.OnError = [&, original](fileops::TFxFileManager& sender, fileops::TFxFileError error) {
            bytesBeforeTheError.push_back(sender.BytesProc());
            original(sender, error);
            errorLines.push_back(splash.lErroM1.Caption);
        };
    };
    const std::string out = RunUpdate();

    EXPECT_EQ(errorLines, std::vector<std::string>{"Método 01 (O arquivo de destino já existe.)"});
    EXPECT_EQ(bytesBeforeTheError, std::vector<int64_t>{0}) << "told before a byte was copied";
    EXPECT_EQ(TerminalText("BIMRO7.EXE"), before) << "the running module's file is untouched";
    EXPECT_TRUE(running.running());
    EXPECT_EQ(TerminalText("FINAN7.EXE"), "financeiro novo") << "the next line is still done";
    EXPECT_NE(out.find("  Arquivo: FINAN7.EXE"), std::string::npos) << out;
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
    // Nothing of the failed copy is left beside the module.
    for (const auto& entry : std::filesystem::directory_iterator(dir / "estacao/terminal"))
        EXPECT_EQ(entry.path().extension().string() == ".tmp", false) << entry.path().string();
}

}  // namespace

#endif  // _WIN32
