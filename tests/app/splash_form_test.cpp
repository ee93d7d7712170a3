#include <gtest/gtest.h>

#include <chrono>

#include "app/atualiza_modulo.h"
#include "app/pictures.h"
#include "app/run_state.h"
#include "support/recording_shell.h"
#include "support/scripted_processes.h"
#include "ui/application.h"

namespace {

class DesktopSystem : public platform::System {
public:
    explicit DesktopSystem(std::optional<platform::Rect> area) : area_(area) {}
    std::string executablePath() override { return "/qor/AtualizaTerminalQOR7"; }
    std::string currentDirectory() override { return "/qor/"; }
    std::optional<platform::Rect> workArea() override { return area_; }
    std::string profileString(const std::string&, const std::string&, const std::string&,
                              const std::string& defaultValue) override {
        return defaultValue;
    }

private:
    std::optional<platform::Rect> area_;
};

platform::Platform WithWorkArea(std::optional<platform::Rect> area) {
    platform::Platform machine;
    machine.system = std::make_shared<DesktopSystem>(area);
    machine.files = platform::makeNativePlatform().files;
    machine.processes = std::make_shared<testing_support::ScriptedProcesses>();
    machine.shell = std::make_shared<testing_support::RecordingShell>();
    return machine;
}

class SplashTest : public ::testing::Test {
protected:
    // Creates the splash window as the program entry does.
    app::TFrmAtuModulo& Create(platform::Platform machine) {
        form = std::make_unique<app::TFrmAtuModulo>(application, std::move(machine));
        app::FrmAtuModulo = form.get();
        application.CreateForm(*form);
        return *form;
    }
    ui::Application application{ui::MakeHeadlessBackend()};
    std::unique_ptr<app::TFrmAtuModulo> form;
};

TEST_F(SplashTest, TimerTicksOnceAboutHalfASecondAfterShowingThePlacedWindow) {
    app::TFrmAtuModulo& splash = Create(WithWorkArea(platform::Rect{0, 0, 1920, 1040}));
    app::ServidorAberto = true;
    int clicks = 0;
    splash.SpeedButton1.OnClick = [&] {
        ++clicks;
        EXPECT_FALSE(app::ServidorAberto);  // cleared by the show event
        EXPECT_EQ(splash.Left, 1419);
        EXPECT_EQ(splash.Top, 879);
        splash.SpeedButton1Click(&splash.SpeedButton1);
        // The run lets messages run for a while: the switched-off timer stays quiet.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
        while (std::chrono::steady_clock::now() < until) application.ProcessMessages();
    };
    const auto start = std::chrono::steady_clock::now();
    application.Run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(clicks, 1);
    EXPECT_GE(seconds, 0.45 + 0.7);
    EXPECT_LT(seconds, 3.0);
    EXPECT_FALSE(splash.Timer1.Enabled());
    EXPECT_TRUE(application.Terminated());

    application.DestroyAllForms();
    EXPECT_EQ(app::FrmAtuModulo, nullptr);
}

TEST_F(SplashTest, WithoutPlatformWorkAreaTheToolkitScreenIsUsed) {
    app::TFrmAtuModulo& splash = Create(WithWorkArea(std::nullopt));
    splash.SpeedButton1.OnClick = [&] { application.Terminate(); };
    application.Run();
    EXPECT_EQ(splash.Left, 1024 - 501);
    EXPECT_EQ(splash.Top, 768 - 161);
}

// Before the run too (the first 500 ms): the run and the launch always happen.
TEST_F(SplashTest, CloseRequestIsRefusedUntilTheRunIsOver) {
    app::TFrmAtuModulo& splash = Create(WithWorkArea(std::nullopt));
    application.RequestClose(splash);
    EXPECT_TRUE(application.Alive(splash));
    splash.Atualizando = true;
    application.RequestClose(splash);
    EXPECT_TRUE(application.Alive(splash));
    EXPECT_EQ(app::FrmAtuModulo, &splash);

    splash.Atualizando = false;
    splash.ExecucaoConcluida = true;
    application.RequestClose(splash);
    EXPECT_FALSE(application.Alive(splash));
    EXPECT_EQ(app::FrmAtuModulo, nullptr);
    EXPECT_EQ(application.MainForm(), nullptr);  // so the message loop ends
}

TEST_F(SplashTest, HiddenPartsLieOutsideTheClientAreaAndBackgroundPaintsFirst) {
    app::TFrmAtuModulo& splash = Create(WithWorkArea(std::nullopt));
    EXPECT_EQ(splash.Width(), 501);
    EXPECT_EQ(splash.Height(), 161);
    EXPECT_EQ(splash.Border, ui::BorderStyle::None);
    for (const ui::TControl* hidden : {static_cast<ui::TControl*>(&splash.Memo1), static_cast<ui::TControl*>(&splash.SpeedButton1)}) {
        EXPECT_FALSE(hidden->Visible) << hidden->Name;
        EXPECT_GE(hidden->Top, splash.Height()) << hidden->Name;
    }
    ASSERT_FALSE(splash.Controls().empty());
    EXPECT_EQ(splash.Controls().front(), &splash.Image1);
    EXPECT_EQ(splash.Image1.Image.width, 500);  // one pixel strip of window colour right and below
    EXPECT_EQ(splash.Image1.Image.height, 160);
}

TEST(Pictures, DarkPanelWithLighterTopBandAndIconTransparentInTheCorners) {
    const ui::Picture background = app::FundoSplash();
    auto brightness = [](uint32_t argb) { return (argb >> 16 & 0xFF) + (argb >> 8 & 0xFF) + (argb & 0xFF); };
    EXPECT_LT(brightness(background.at(250, 90)), 3 * 0x30);
    EXPECT_GT(brightness(background.at(250, 5)), brightness(background.at(250, 90)) + 60);
    for (uint32_t pixel : background.pixels) ASSERT_EQ(pixel >> 24, 0xFFu);  // opaque everywhere

    const ui::Picture icon = app::IconeErro(32);
    ASSERT_EQ(icon.width, 32);
    EXPECT_EQ(icon.at(0, 0) >> 24, 0u);
    EXPECT_EQ(icon.at(4, 16) >> 24, 0xFFu);
    EXPECT_GT(icon.at(4, 16) >> 16 & 0xFF, 0xC0u);  // red disc
    EXPECT_EQ(icon.at(16, 16) & 0xFFFFFF, 0xFFFFFFu);  // white cross at the centre
}

}  // namespace
