// Nothing escapes a run: a process list that raises in the closing phase, and the program's last
// guard for whatever still escapes (the failure path's message and launches, never a crash).
#include <gtest/gtest.h>

#include "app/run_state.h"
#include "app/ultima_guarda.h"
#include "run_fixture.h"

namespace {

using app_test::ModuleLine;

const std::string kFailureBox =
    "--- plain\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n--- answer: OK\n";

class LastGuard : public app_test::RunTest {
protected:
    LastGuard() {
        WriteSettings();
        WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema Principal")});
    }
    // Calls the guard as main does; returns the boxes it wrote.
    std::string Guard(app::TFrmAtuModulo* splash) {
        ::testing::internal::CaptureStdout();
        app::UltimaGuarda(&application, splash, machine);
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(LastGuard, AProcessListThatRaisesStillLetsTheRunCopyReportAndStartTheModule) {
    processes->add("SERVERQOR.EXE", 11);
    processes->raiseOnSnapshot = true;
    Server("QOR7.EXE", "novo");
    const std::string out = RunUpdate();
    EXPECT_NE(out.find("--- information\nArquivos Atualizados :"), std::string::npos) << out;
    EXPECT_EQ(TerminalText("QOR7.EXE"), "novo");
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});  // the server was never seen, nor ended
    EXPECT_TRUE(application.Terminated());
}

TEST_F(LastGuard, BeforeTheRunItTakesTheFailurePathWithTheEndedServerProgram) {
    Terminal("ATUALIZA.DAT", "");
    form = makeForm(application, machine);
    application.CreateForm(*form);
    app::ServidorAberto = true;  // the closing phase ended it, then something escaped
    EXPECT_EQ(Guard(form.get()), kFailureBox);
    EXPECT_EQ(Launched(), (std::vector<std::string>{"SERVERQOR.EXE", "QOR7.exe"}));
    EXPECT_FALSE(TerminalHas("ATUALIZA.DAT"));
    // Called again, nothing is started twice.
    Guard(form.get());
    EXPECT_EQ(Launched().size(), 2u);
}

TEST_F(LastGuard, WithoutASplashWindowItMakesOneForTheFailurePath) {
    EXPECT_EQ(Guard(nullptr), kFailureBox);
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
    EXPECT_EQ(shell->calls.at(0).directory, terminalFolder);
}

TEST_F(LastGuard, AfterARunThatStartedItsModuleItDoesNothing) {
    processes->add("SERVERQOR.EXE", 11);
    RunUpdate({"F"});
    ASSERT_EQ(Launched(), (std::vector<std::string>{"SERVERQOR.EXE", "HALDENMOR7.exe"}));
    EXPECT_EQ(Guard(&Form()), "");
    EXPECT_EQ(Launched().size(), 2u);
}

}  // namespace
