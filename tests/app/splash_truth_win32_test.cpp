// What the Win32 splash shows while the run blocks (a fallback copy, a launch), and behind a box:
// the state the run left it in, not the last frame the repaint throttle let through.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/atualiza_modulo.h"
#include "app/run_state.h"
#include "splash_blocking.h"
#include "support/png_file.h"
#include "support/screen_pixels.h"
#include "support/win32_input.h"
#include "ui/win32/win32_backend.h"

namespace {

ui::Picture Screen(ui::TForm& form) {
    return testing_support::ScreenPixelsOf("", reinterpret_cast<unsigned long long>(form.NativeHandle));
}

TEST(SplashTruthWin32, WhileTheRunBlocksTheScreenShowsWhatItWaitsFor) {
    if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
    ui::Application application(ui::MakeWin32Backend());
    const auto moments = app_test::RunAndWatchTheBlocks(application, Screen, ui::CaptureWin32FormPixels);
    app_test::ExpectTheRunsBlocks(moments);
    app_test::ExpectScreenShowsTheModel(moments, "blocked-win32");
}

// Inside the box's own loop: what the splash shows behind it, then the box is answered.
struct BehindTheBox {
    ui::TForm* splash = nullptr;
    ui::Picture screen, model, desktop;
    RECT box{};
    bool boxSeen = false;
} behind;

HWND BoxOfThisThread() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK LookBehindTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = BoxOfThisThread();
    if (!box) return;  // not up yet
    KillTimer(nullptr, timer);
    behind.boxSeen = true;
    behind.screen = Screen(*behind.splash);
    behind.model = ui::CaptureWin32FormPixels(*behind.splash);
    GetWindowRect(box, &behind.box);
    behind.desktop = testing_support::ScreenPixelsOf("", 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Later files were copied within one repaint interval of the last frame: the report box must not
// stand in front of that old frame.
TEST(SplashTruthWin32, BehindABoxTheSplashShowsItsLastState) {
    if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
    ui::Application application(ui::MakeWin32Backend());
    app::TFrmAtuModulo splash(application, platform::Platform{platform::makeNativePlatform().files, {}, {}, {}});
    app_test::WhileTheSplashRuns(application, splash, [&] {
        app_test::EarlyFrameThenLaterState(application, splash);
        behind = BehindTheBox{};
        behind.splash = &splash;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookBehindTheBox);
        application.MessageBox(ui::BoxKind::Warning,
                               "Arquivos Atualizados :\r\r  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\r"
                               "  Arquivo: LUNDAMI7.EXE        -  Tamanho: 59 Kb\r\r"
                               "Arquivos NÃO Atualizados (avise o suporte) :\r\r"
                               "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1.204 Kb\r",
                               ui::BoxLayout::Columns);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(behind.boxSeen);
        if (!behind.boxSeen) return;
        app_test::ExpectScreenShowsTheModel({{"report box", behind.screen, behind.model}}, "behind-box-win32");
        // Above the splash, which stays in sight, as on Linux.
        EXPECT_LE(behind.box.bottom, splash.Top) << "the box covers the splash";
        EXPECT_GE(behind.box.right, splash.Left) << "the box stands away from the splash";
        testing_support::WritePng(testing_support::Cut(behind.desktop, std::min<int>(behind.box.left, splash.Left) - 12,
                                                       behind.box.top - 12, 1280, 1024),
                                  std::string(ATUALIZA_BUILD_DIR) + "/report-over-splash-win32.png");
    });
}

using SplashStepBackWin32 = app_test::UpdatedTerminal;

// The step back's box: above the splash, in the report's fixed-width font, and a splash that says
// nothing of copying, as on Linux.
TEST_F(SplashStepBackWin32, TheBoxStandsAboveASplashThatSpeaksOfNoCopy) {
    if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
    ui::Application screen(ui::MakeWin32Backend());
    screen.Title = "Atualizaterminalqor7";
    StepBack(screen, [&](app::TFrmAtuModulo& splash) {
        behind = BehindTheBox{};
        behind.splash = &splash;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookBehindTheBox);
        splash.SpeedButton1Click(&splash.SpeedButton1);
        KillTimer(nullptr, timer);
        ASSERT_TRUE(behind.boxSeen);
        EXPECT_LE(behind.box.bottom, splash.Top) << "the box covers the splash";
        testing_support::WritePng(testing_support::Cut(behind.desktop, std::min<int>(behind.box.left, splash.Left) - 12,
                                                       behind.box.top - 12, 1280, 1024),
                                  std::string(ATUALIZA_BUILD_DIR) + "/voltar-over-splash-win32.png");
        app_test::ExpectNoWordOfCopying(behind.screen);
    });
    EXPECT_EQ(TerminalText("QOR7.EXE"), "versão antiga");
}

class SplashShareDownWin32 : public app_test::RunTest {
protected:
    SplashShareDownWin32() {
        WriteSettings();
        std::filesystem::remove_all(dir / "rede");  // the server folder does not answer
    }
};

// The failure box carries the error icon, and behind it the splash says that the server's folder
// could not be reached, as on Linux.
TEST_F(SplashShareDownWin32, TheFailureBoxHasTheErrorIconOverASplashThatNamesTheFolder) {
    if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
    ui::Application screen(ui::MakeWin32Backend());
    screen.Title = "Atualizaterminalqor7";
    app::GuardaArgumentos(std::vector<std::string>{"AtualizaTerminalQOR7.exe"});
    app::TFrmAtuModulo splash(screen, machine);
    app::FrmAtuModulo = &splash;
    app_test::WhileTheSplashRuns(screen, splash, [&] {
        behind = BehindTheBox{};
        behind.splash = &splash;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, LookBehindTheBox);
        splash.SpeedButton1Click(&splash.SpeedButton1);
        KillTimer(nullptr, timer);
        ASSERT_TRUE(behind.boxSeen);
        EXPECT_EQ(splash.lErroM1.Caption.rfind("Não foi possível acessar a pasta do servidor: ", 0), 0u);
        testing_support::WritePng(testing_support::Cut(behind.desktop, std::min<int>(behind.box.left, splash.Left) - 12,
                                                       behind.box.top - 12, 1280, 1024),
                                  std::string(ATUALIZA_BUILD_DIR) + "/share-down-over-splash-win32.png");
    });
    app::FrmAtuModulo = nullptr;
}

}  // namespace

#endif  // _WIN32
