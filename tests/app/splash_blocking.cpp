#include "splash_blocking.h"

#include <gtest/gtest.h>

#include "app/atualiza_modulo.h"
#include "app/run_state.h"
#include "platform/forwarding_file_system.h"
#include "run_fixture.h"
#include "support/faulty_file_system.h"
#include "support/png_file.h"
#include "support/recording_shell.h"
#include "support/scripted_processes.h"
#include "support/temp_dir.h"
#include "support/xvfb_display.h"

namespace app_test {

namespace {

using Watch = std::function<void(const std::string&)>;

// The fallback copy is the platform's one-call copy: the run blocks in it.
class WatchedFiles : public platform::ForwardingFileSystem {
public:
    WatchedFiles(std::shared_ptr<platform::FileSystem> inner, Watch watch)
        : ForwardingFileSystem(std::move(inner)), watch_(std::move(watch)) {}
    bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        watch_("fallback copy");
        return ForwardingFileSystem::copyFile(from, to, failIfExists);
    }

private:
    Watch watch_;
};

class WatchedSplash : public app::TFrmAtuModulo {
public:
    WatchedSplash(ui::Application& application, platform::Platform platform, Watch watch)
        : TFrmAtuModulo(application, std::move(platform)), watch_(std::move(watch)) {}

protected:
    uintptr_t ExecutaPrograma(const std::string& arquivo) override {
        watch_("launch of " + arquivo);
        return 42;
    }

private:
    Watch watch_;
};

}  // namespace

testing_support::XvfbDisplay& SharedDisplay() {
    static testing_support::XvfbDisplay display;
    return display;
}

void WhileTheSplashRuns(ui::Application& application, app::TFrmAtuModulo& splash, const std::function<void()>& body) {
    application.CreateForm(splash);
    splash.SpeedButton1.OnClick = [&] {
        splash.Timer1.SetEnabled(false);
        body();
        application.Terminate();
    };
    application.Run();
    application.DestroyForm(splash);
}

void EarlyFrameThenLaterState(ui::Application& application, app::TFrmAtuModulo& splash) {
    splash.lbArquivo.Caption = "Arquivo BPL";
    splash.lbArquivo2.Caption = "\\\\SERVIDOR\\QOR7\\pkRelatorios7.bpl";
    splash.pgbr.SetMax(40000);
    splash.pgbr.SetPosition(8192);
    application.PaintPending();
    splash.lbArquivo.Caption = "Controle de Estoque e Produção";
    splash.lbArquivo2.Caption = "";
    splash.LabBytesCopiados.Caption = "90.000 bytes processados";
    splash.LabTotalBytes.Caption = "Total: 90.000";
    splash.pgbr.SetMax(90000);
    splash.pgbr.SetPosition(90000);
    application.ProcessMessages();  // within the repaint interval of the early frame
}

std::vector<BlockedMoment> RunAndWatchTheBlocks(ui::Application& application,
                                                const std::function<ui::Picture(ui::TForm&)>& screen,
                                                const std::function<ui::Picture(ui::TForm&)>& model) {
    testing_support::TempDir dir;
    // Packages: no report box waits for a person at the end.
    dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT", "pkPrimeiro7.bpl\r\npkSegundo7.bpl\r\n");
    dir.write("rede/servidor/QOR7/pkPrimeiro7.bpl", std::string(300000, 'a'));
    dir.write("rede/servidor/QOR7/pkSegundo7.bpl", std::string(120000, 'b'));
    dir.write("estacao/terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() +
                                              "rede/servidor/QOR7/\r\nCaminho_Base_Dados=C:\\QOR7\\\r\n");

    std::vector<BlockedMoment> moments;
    app::TFrmAtuModulo* splash = nullptr;
    Watch watch = [&](const std::string& what) {
        if (splash) moments.push_back({what, screen(*splash), {}});
        if (splash) moments.back().model = model(*splash);
    };
    const platform::Platform native = platform::makeNativePlatform();
    auto faulty = std::make_shared<testing_support::FaultyFileSystem>(native.files);
    faulty->MakeUnreadable("pkSegundo7.bpl");  // its copy fails and the fallback copy follows
    platform::Platform machine{std::make_shared<WatchedFiles>(faulty, watch),
                               std::make_shared<testing_support::ScriptedProcesses>(),
                               std::make_shared<testing_support::RecordingShell>(),
                               std::make_shared<TerminalSystem>(native.system,
                                                                dir.folder() + "estacao/terminal/AtualizaTerminalQOR7.exe")};
    app::GuardaArgumentos(0, nullptr);
    WatchedSplash form(application, machine, watch);
    splash = &form;
    app::FrmAtuModulo = &form;
    application.CreateForm(form);
    application.Run();
    application.DestroyForm(form);
    return moments;
}

void ExpectTheRunsBlocks(const std::vector<BlockedMoment>& moments) {
    // The package that stayed old is offered again by the sweep: its fallback copy comes twice.
    ASSERT_EQ(moments.size(), 3u);
    EXPECT_EQ(moments[0].what, "fallback copy");
    EXPECT_EQ(moments[1].what, "fallback copy");
    EXPECT_EQ(moments[2].what, "launch of QOR7.exe");
}

void ExpectScreenShowsTheModel(const std::vector<BlockedMoment>& moments, const std::string& prefix) {
    for (size_t i = 0; i < moments.size(); ++i) {
        const BlockedMoment& m = moments[i];
        const std::string base = std::string(ATUALIZA_BUILD_DIR) + "/" + prefix + std::to_string(i + 1);
        testing_support::WritePng(m.screen, base + "-screen.png");
        testing_support::WritePng(m.model, base + "-model.png");
        ASSERT_EQ(m.screen.width, 501) << m.what;  // the splash, drawn
        ASSERT_EQ(m.screen.height, 161) << m.what;
        ASSERT_EQ(m.model.width, 501) << m.what;
        ASSERT_EQ(m.model.height, 161) << m.what;
        size_t differing = 0;
        for (size_t p = 0; p < m.screen.pixels.size(); ++p)
            differing += (m.screen.pixels[p] & 0xFFFFFF) != (m.model.pixels[p] & 0xFFFFFF);
        EXPECT_EQ(differing, 0u) << "while the run waited in the " << m.what << " the screen showed an older state: "
                                 << base << "-screen.png";
    }
}

UpdatedTerminal::UpdatedTerminal() {
    WriteSettings();
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema"), ModuleLine("LUNDAMI7.EXE", "Estoque e Produção")});
    for (const char* name : {"QOR7.EXE", "LUNDAMI7.EXE"}) {
        SetTime(Terminal(name, "versão antiga"), {2024, 3, 1, 8, 0, 0});
        SetTime(Server(name, "versão nova"), {2025, 3, 1, 8, 0, 0});
    }
    RunUpdate();
}

void UpdatedTerminal::StepBack(ui::Application& screen, const std::function<void(app::TFrmAtuModulo&)>& body) {
    app::GuardaArgumentos(std::vector<std::string>{"AtualizaTerminalQOR7.exe", "--voltar"});
    app::TFrmAtuModulo splash(screen, machine);
    app::FrmAtuModulo = &splash;
    WhileTheSplashRuns(screen, splash, [&] { body(splash); });
    app::FrmAtuModulo = nullptr;
}

void ExpectNoWordOfCopying(const ui::Picture& splash) {
    ASSERT_EQ(splash.width, 501);
    ASSERT_EQ(splash.height, 161);
    struct Box {
        const char* what;
        int left, top, width, height;
    };
    for (const Box& box : {Box{"Copiando:", 8, 97, 55, 13}, Box{"bytes processados", 6, 142, 87, 13},
                           Box{"Tamanho:", 196, 142, 120, 13}}) {
        bool white = false;
        for (int y = box.top; y < box.top + box.height; ++y)
            for (int x = box.left; x < box.left + box.width; ++x) {
                const uint32_t p = splash.at(x, y);
                white = white || ((p >> 16 & 0xFF) > 230 && (p >> 8 & 0xFF) > 230 && (p & 0xFF) > 230);
            }
        EXPECT_FALSE(white) << "the step back shows \"" << box.what << "\"";
    }
}

}  // namespace app_test
