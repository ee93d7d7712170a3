// The splash window drawn by the Win32 backend (under Wine, on a virtual X display, on the build
// machine): its pixels at the start of the run and with the gauge at half and the error line shown,
// saved as splash-win32.png in the build folder.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "app/atualiza_modulo.h"
#include "support/png_file.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"

namespace {

struct Rgb {
    int r, g, b;
};
Rgb At(const ui::Picture& picture, int x, int y) {
    const uint32_t pixel = picture.at(x, y);
    return {static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF), static_cast<int>(pixel & 0xFF)};
}
bool IsRed(Rgb c) { return c.r > 200 && c.g < 80 && c.b < 80; }
bool IsWhite(Rgb c) { return c.r > 230 && c.g > 230 && c.b > 230; }
bool AnyPixel(const ui::Picture& p, int x0, int y0, int x1, int y1, bool (*test)(Rgb)) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (test(At(p, x, y))) return true;
    return false;
}

TEST(SplashScreenWin32, PaintsBackgroundLabelsGaugeAndErrorLine) {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) GTEST_SKIP() << "no desktop to create windows on";
    DestroyWindow(probe);

    ui::Application application(ui::MakeWin32Backend());
    app::TFrmAtuModulo splash(application, platform::Platform{platform::makeNativePlatform().files, {}, {}, {}});
    application.CreateForm(splash);
    ui::Picture before, after;
    splash.SpeedButton1.OnClick = [&] {
        splash.Timer1.SetEnabled(false);
        before = ui::CaptureWin32FormPixels(splash);
        splash.pgbr.SetMax(1000);
        splash.pgbr.SetPosition(500);
        splash.lbArquivo2.Caption = "\\\\SERVIDOR\\QOR\\EXE\\UM_NOME_DE_ARQUIVO_MUITO_COMPRIDO_PARA_CABER.EXE";
        splash.IErro.Visible = true;
        splash.lErroM1.Visible = true;
        splash.lErroM1.Caption = "Erro ao copiar o arquivo";
        application.ProcessMessages();
        after = ui::CaptureWin32FormPixels(splash);
        application.Terminate();
    };
    application.Run();

    // In the bottom right corner of the desktop's work area.
    const std::optional<platform::Rect> area = application.WorkArea();
    ASSERT_TRUE(area);
    EXPECT_EQ(splash.Left, area->right - 501);
    EXPECT_EQ(splash.Top, area->bottom - 161);
    ASSERT_EQ(before.width, 501);
    ASSERT_EQ(before.height, 161);
    ASSERT_EQ(after.width, 501);
    ASSERT_EQ(after.height, 161);
    EXPECT_TRUE(testing_support::WritePng(after, std::string(ATUALIZA_BUILD_DIR) + "/splash-win32.png"));

    const Rgb panel = At(before, 250, 85);
    EXPECT_LT(panel.r + panel.g + panel.b, 3 * 0x30) << "dark background";
    const Rgb band = At(before, 250, 5);
    EXPECT_GT(band.r + band.g + band.b, panel.r + panel.g + panel.b + 60) << "lighter top band";
    const Rgb strip = At(before, 500, 80);  // the picture is 500 wide: the window colour shows
    EXPECT_TRUE(strip.r == 0xF0 && strip.g == 0xF0 && strip.b == 0xF0);

    EXPECT_TRUE(AnyPixel(before, 7, 58, 70, 71, IsWhite)) << "\"Verificando\"";
    EXPECT_TRUE(IsWhite(At(before, 100, 157))) << "empty gauge";
    const Rgb bar = At(after, 100, 157);
    EXPECT_TRUE(bar.r < 40 && bar.g > 220 && bar.b < 40) << "lime bar at half";
    EXPECT_TRUE(IsWhite(At(after, 400, 157))) << "rest of the gauge";

    EXPECT_FALSE(AnyPixel(before, 8, 113, 39, 143, IsRed)) << "error icon hidden at first";
    EXPECT_TRUE(AnyPixel(after, 8, 113, 39, 143, IsRed)) << "error icon shown";
    EXPECT_TRUE(AnyPixel(after, 300, 100, 388, 113, IsRed)) << "long path reaches the label's edge";
    EXPECT_FALSE(AnyPixel(after, 390, 100, 499, 113, IsRed)) << "and is cut there";
}

}  // namespace

#endif  // _WIN32
