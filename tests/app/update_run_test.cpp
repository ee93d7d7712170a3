// The update run as a whole: the closing phase, the launches, the report, ATUALIZA.DAT, the
// failure path and its messages.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/run_state.h"
#include "run_fixture.h"

namespace {

using app_test::ModuleLine;
using platform::SnapshotKind;

const std::string kFavor = "\n\n               Favor Verificar !!!               \n";

class UpdateRun : public app_test::RunTest {
protected:
    UpdateRun() {
        WriteSettings();
        WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema Principal")});
    }
};

TEST_F(UpdateRun, NoModuleRunningMeansOnePassOfTheClosingPhase) {
    RunUpdate();
    EXPECT_EQ(processes->snapshots(SnapshotKind::All), 1);
    EXPECT_EQ(processes->snapshots(SnapshotKind::ProcessesOnly), 0);
    EXPECT_TRUE(application.Terminated());
    EXPECT_FALSE(Form().Timer1.Enabled());
    EXPECT_FALSE(Form().Atualizando);
}

TEST_F(UpdateRun, AModuleThatCannotBeEndedCostsExactly501PassesThenTheRunGoesOn) {
    processes->add("qor7.exe", 77, false);
    RunUpdate();
    EXPECT_EQ(processes->snapshots(SnapshotKind::All), 501);
    EXPECT_EQ(processes->snapshots(SnapshotKind::ProcessesOnly), 501);
    EXPECT_EQ(processes->requests().size(), 501u);
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(UpdateRun, TheServerProgramClosedOnTheWayIsStartedBeforeTheChosenModule) {
    processes->add("BIMRO7.EXE", 10);
    processes->add("SERVERQOR.EXE", 11);
    processes->add("bash", 12);
    RunUpdate({"F"});
    EXPECT_EQ(processes->terminated(), (std::vector<uint32_t>{10, 11}));
    EXPECT_TRUE(processes->running(12));
    EXPECT_EQ(Launched(), (std::vector<std::string>{"SERVERQOR.EXE", "HALDENMOR7.exe"}));
    for (const auto& call : shell->calls) {
        EXPECT_EQ(call.parameters, " ");
        EXPECT_EQ(call.directory, terminalFolder);
        EXPECT_EQ(call.showMode, 5);
        EXPECT_EQ(call.verb, "");
        EXPECT_EQ(call.ownerWindow, application.MainWindowHandle());
    }
}

TEST_F(UpdateRun, OnlyACapitalFChoosesThePointOfSaleModule) {
    RunUpdate({"f"});
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(UpdateRun, TheMarkerFileIsDeletedOnTheNormalPath) {
    Terminal("ATUALIZA.DAT", "");
    const std::string out = RunUpdate();
    EXPECT_FALSE(TerminalHas("ATUALIZA.DAT"));
    EXPECT_EQ(out.find("--- plain"), std::string::npos) << out;
}

TEST_F(UpdateRun, MissingCatalogueTakesTheFailurePathAndStartsTheClosedServerThenTheMainModule) {
    std::filesystem::remove(dir / "rede/servidor/QOR7/TABDEF/MODULOS.DAT");
    Terminal("ATUALIZA.DAT", "");
    processes->add("SERVERQOR.EXE", 11);
    const std::string out = RunUpdate({"F"});
    EXPECT_EQ(out,
              "--- plain\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
              "--- answer: OK\n");
    EXPECT_EQ(Launched(), (std::vector<std::string>{"SERVERQOR.EXE", "QOR7.exe"}));  // the main module even with F
    EXPECT_FALSE(TerminalHas("ATUALIZA.DAT"));
    EXPECT_TRUE(application.Terminated());
}

TEST_F(UpdateRun, WithoutSettingsTheCatalogueIsLookedForAtTheRootAndTheMainModuleStarts) {
    // No qor.ini: the server folder is "\" and the catalogue "\TABDEF\MODULOS.DAT".
    std::filesystem::remove(dir / "estacao/terminal/qor.ini");
    const std::string out = RunUpdate();
    EXPECT_NE(out.find("Ocorreram erros na Atualização do Módulo : ()\n"), std::string::npos) << out;
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
}

TEST_F(UpdateRun, ACloseRequestDuringTheRunIsRefused) {
    bool aliveDuringRun = false;
    beforeRun = [&](app::TFrmAtuModulo& splash) {
        splash.FxFileManager1.OnStart = [&](fileops::TFxFileManager&) {
            application.RequestClose(splash);
            aliveDuringRun = application.Alive(splash) && splash.Atualizando;
        };
    };
    Server("QOR7.EXE");
    RunUpdate();
    EXPECT_TRUE(aliveDuringRun);
    EXPECT_TRUE(application.Alive(Form()));
}

// A window whose launches raise, to show the launch messages.
class FailingLaunches : public app::TFrmAtuModulo {
public:
    using TFrmAtuModulo::TFrmAtuModulo;
    std::vector<std::string> attempts;

protected:
    uintptr_t ExecutaPrograma(const std::string& arquivo) override {
        attempts.push_back(arquivo);
        throw std::runtime_error("no shell");
    }
};

class LaunchMessages : public UpdateRun {
protected:
    LaunchMessages() {
        makeForm = [](ui::Application& application, platform::Platform platform) {
            return std::make_unique<FailingLaunches>(application, std::move(platform));
        };
        processes->add("SERVERQOR.EXE", 11);
    }
    const std::vector<std::string>& Attempts() { return static_cast<FailingLaunches&>(Form()).attempts; }
};

TEST_F(LaunchMessages, NormalPathNamesTheServerProgramAndTheMainModule) {
    const std::string out = RunUpdate();
    EXPECT_EQ(out, "--- error\nHouve Algum Problema Com o Programa SERVERQOR.EXE !!!" + kFavor + "--- answer: OK\n" +
                       "--- error\nHouve Algum Problema Com o Programa QOR7.exe  !!!" + kFavor + "--- answer: OK\n");
    EXPECT_EQ(Attempts(), (std::vector<std::string>{"SERVERQOR.EXE", "QOR7.exe"}));
}

// The shell's own refusal (a result of 32 or less: file not found) is told as a raised error is,
// and counted in the exit status; a started program is not.
TEST_F(UpdateRun, ALaunchTheShellRefusesIsToldAndCounted) {
    processes->add("SERVERQOR.EXE", 11);
    shell->result = 2;
    EXPECT_EQ(RunUpdate(), "--- error\nHouve Algum Problema Com o Programa SERVERQOR.EXE !!!" + kFavor + "--- answer: OK\n" +
                               "--- error\nHouve Algum Problema Com o Programa QOR7.exe  !!!" + kFavor + "--- answer: OK\n");
    EXPECT_EQ(Form().CodigoSaida, 4);
    shell->result = 33;
    RunUpdate();
    EXPECT_EQ(Form().CodigoSaida, 0);
}

TEST_F(LaunchMessages, PointOfSaleModuleHasItsOwnMessage) {
    const std::string out = RunUpdate({"F"});
    EXPECT_NE(out.find("--- error\nHouve Algum Problema Com o Programa HALDENMOR7.EXE !!!" + kFavor), std::string::npos)
        << out;
}

TEST_F(LaunchMessages, FailurePathNamesTheServerProgramAndWritesTheMainModuleInCapitals) {
    std::filesystem::remove(dir / "rede/servidor/QOR7/TABDEF/MODULOS.DAT");
    const std::string out = RunUpdate();
    EXPECT_EQ(out,
              "--- plain\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
              "--- answer: OK\n--- error\nHouve Algum Problema Com o Programa SERVERQOR.EXE !!!" +
                  kFavor + "--- answer: OK\n--- error\nHouve Algum Problema Com o Programa QOR7.EXE !!!" + kFavor +
                  "--- answer: OK\n");
    EXPECT_EQ(Attempts(), (std::vector<std::string>{"SERVERQOR.EXE", "QOR7.exe"}));
}

}  // namespace

namespace {

TEST_F(UpdateRun, TheFileComponentCopiesWithOverwriteAndTheWindowsHandlers) {
    beforeRun = [](app::TFrmAtuModulo& splash) {
        const fileops::TFxFileManager& fx = splash.FxFileManager1;
        using namespace fileops;
        EXPECT_EQ(fx.Options(), (TFxFileOptions{foCopyDateTime, foCopyAttr, foOverwrite, foCheckSpace, foReadOnlyFiles,
                                                foHiddenFiles, foSysFiles}));
        EXPECT_EQ(fx.Options().Byte(), 0xFB);
        EXPECT_FALSE(fx.Options().Contains(foCreateDir));
        EXPECT_EQ(fx.Action(), faCopy);
        EXPECT_EQ(fx.BufferSize(), 8192);
        EXPECT_TRUE(fx.OnStart && fx.OnProgress && fx.OnCreateDirectory && fx.OnEnd && fx.OnError);
        EXPECT_FALSE(fx.OnOverwrite);
        EXPECT_FALSE(fx.OnProcessFile);
        EXPECT_TRUE(fx.ProcessMessages);
    };
    RunUpdate();
}

}  // namespace
