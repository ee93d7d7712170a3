// What the FLTK splash shows while the run blocks (a fallback copy, a launch) is the state the run
// left it in, not the last frame the repaint throttle let through.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/atualiza_modulo.h"
#include "app/run_state.h"
#include "splash_blocking.h"
#include "support/png_file.h"
#include "support/screen_pixels.h"
#include "support/xvfb_display.h"

#ifdef ATUALIZA_HAVE_FLTK
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#undef KeyPress
#undef None
#undef Status

#include "ui/fltk/fltk_backend.h"

namespace {

TEST(SplashTruth, WhileTheRunBlocksTheScreenShowsWhatItWaitsFor) {
    testing_support::XvfbDisplay& display = app_test::SharedDisplay();
    if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
    ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";
    ui::Application application(ui::MakeFltkBackend());
    const auto screen = [&](ui::TForm& form) {
        return testing_support::ScreenPixelsOf(display.Name(), ui::NativeWindowId(form));
    };
    const auto moments = app_test::RunAndWatchTheBlocks(application, screen, ui::CaptureFormPixels);
    app_test::ExpectTheRunsBlocks(moments);
    app_test::ExpectScreenShowsTheModel(moments, "blocked");
}

struct BehindTheBox {
    std::string display;
    ui::Picture screen;
    platform::Rect box{};
} behind;

void LookAtTheScreen(void*) {
    Fl_Window* box = Fl::modal();
    if (!box) return;
    XSync(fl_display, False);
    behind.screen = testing_support::ScreenPixelsOf(behind.display, 0);
    behind.box = {box->x(), box->y(), box->x() + box->w(), box->y() + box->h()};
    box->hide();
}

// The report stands above the splash, which shows its last state behind it: the file copied last,
// not a frame the repaint throttle let through before.
TEST(SplashTruth, TheReportStandsAboveTheSplashShowingItsLastState) {
    testing_support::XvfbDisplay& display = app_test::SharedDisplay();
    if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
    ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";
    ui::Application application(ui::MakeFltkBackend());
    application.Title = "Atualizaterminalqor7";
    app::TFrmAtuModulo splash(application, platform::Platform{platform::makeNativePlatform().files, {}, {}, {}});
    app_test::WhileTheSplashRuns(application, splash, [&] {
        app_test::EarlyFrameThenLaterState(application, splash);
        behind = {display.Name(), {}, {}};
        Fl::add_timeout(0.3, LookAtTheScreen);
        application.MessageBox(ui::BoxKind::Warning,
                               "Arquivos Atualizados :\r\r  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\r"
                               "  Arquivo: LUNDAMI7.EXE        -  Tamanho: 59 Kb\r\r"
                               "Arquivos NÃO Atualizados (avise o suporte) :\r\r"
                               "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1.204 Kb\r",
                               ui::BoxLayout::Columns);
        Fl::remove_timeout(LookAtTheScreen);
        EXPECT_FALSE(behind.screen.empty());
        EXPECT_LE(behind.box.bottom, splash.Top) << "the box covers the splash";
        const ui::Picture shown =
            testing_support::Cut(behind.screen, splash.Left, splash.Top, splash.Left + 501, splash.Top + 161);
        testing_support::WritePng(testing_support::Cut(behind.screen, std::min(behind.box.left, splash.Left) - 12,
                                                       behind.box.top - 12, 1280, 800),
                                  std::string(ATUALIZA_BUILD_DIR) + "/report-over-splash.png");
        app_test::ExpectScreenShowsTheModel({{"report box", shown, ui::CaptureFormPixels(splash)}}, "behind-box");
    });
}

void LookWhenTheBoxIsUp(void*) {
    if (!Fl::modal()) return Fl::repeat_timeout(0.05, LookWhenTheBoxIsUp);
    LookAtTheScreen(nullptr);
}

using SplashStepBack = app_test::UpdatedTerminal;

// The step back's box stands above the splash in the report's fixed-width font, and the splash
// says nothing of copying.
TEST_F(SplashStepBack, TheBoxStandsAboveASplashThatSpeaksOfNoCopy) {
    testing_support::XvfbDisplay& display = app_test::SharedDisplay();
    if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
    ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";
    ui::Application screen(ui::MakeFltkBackend());
    screen.Title = "Atualizaterminalqor7";
    StepBack(screen, [&](app::TFrmAtuModulo& splash) {
        behind = {display.Name(), {}, {}};
        Fl::add_timeout(0.1, LookWhenTheBoxIsUp);
        splash.SpeedButton1Click(&splash.SpeedButton1);
        Fl::remove_timeout(LookWhenTheBoxIsUp);
        ASSERT_FALSE(behind.screen.empty());
        EXPECT_LE(behind.box.bottom, splash.Top) << "the box covers the splash";
        testing_support::WritePng(testing_support::Cut(behind.screen, std::min(behind.box.left, splash.Left) - 12,
                                                       behind.box.top - 12, 1280, 800),
                                  std::string(ATUALIZA_BUILD_DIR) + "/voltar-over-splash.png");
        app_test::ExpectNoWordOfCopying(
            testing_support::Cut(behind.screen, splash.Left, splash.Top, splash.Left + 501, splash.Top + 161));
    });
    EXPECT_EQ(TerminalText("QOR7.EXE"), "versão antiga");
}

bool Reddish(uint32_t p) { return (p >> 16 & 0xFF) > 150 && (p >> 8 & 0xFF) < 90 && (p & 0xFF) < 90; }

class SplashShareDown : public app_test::RunTest {
protected:
    SplashShareDown() {
        WriteSettings();
        std::filesystem::remove_all(dir / "rede");  // the server folder does not answer
    }
};

// The failure box carries the error icon, and behind it the splash says that the server's folder
// could not be reached.
TEST_F(SplashShareDown, TheFailureBoxHasTheErrorIconOverASplashThatNamesTheFolder) {
    testing_support::XvfbDisplay& display = app_test::SharedDisplay();
    if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
    ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";
    ui::Application screen(ui::MakeFltkBackend());
    screen.Title = "Atualizaterminalqor7";
    app::GuardaArgumentos(std::vector<std::string>{"AtualizaTerminalQOR7.exe"});
    app::TFrmAtuModulo splash(screen, machine);
    app::FrmAtuModulo = &splash;
    app_test::WhileTheSplashRuns(screen, splash, [&] {
        behind = {display.Name(), {}, {}};
        Fl::add_timeout(0.1, LookWhenTheBoxIsUp);
        splash.SpeedButton1Click(&splash.SpeedButton1);
        Fl::remove_timeout(LookWhenTheBoxIsUp);
        ASSERT_FALSE(behind.screen.empty());
        EXPECT_EQ(splash.lErroM1.Caption.rfind("Não foi possível acessar a pasta do servidor: ", 0), 0u);
        const ui::Picture icon = testing_support::Cut(behind.screen, behind.box.left + 14, behind.box.top + 14,
                                                      behind.box.left + 46, behind.box.top + 46);
        EXPECT_TRUE(std::any_of(icon.pixels.begin(), icon.pixels.end(), Reddish)) << "no error icon on the box";
        testing_support::WritePng(testing_support::Cut(behind.screen, std::min(behind.box.left, splash.Left) - 12,
                                                       behind.box.top - 12, 1280, 800),
                                  std::string(ATUALIZA_BUILD_DIR) + "/share-down-over-splash.png");
    });
    app::FrmAtuModulo = nullptr;
}

}  // namespace
#endif
