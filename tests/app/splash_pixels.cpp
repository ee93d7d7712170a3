#include "splash_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "feedback/erros.h"

namespace app_test {

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

}  // namespace

const char* const kCaminhoLongo = "\\\\SERVIDOR\\QOR\\EXE\\UM_NOME_DE_ARQUIVO_MUITO_COMPRIDO_PARA_CABER.EXE";

SplashPictures CaptureSplashStates(ui::Application& application, app::TFrmAtuModulo& splash,
                                   const std::function<ui::Picture(ui::TForm&)>& capture) {
    application.CreateForm(splash);
    SplashPictures pictures;
    splash.SpeedButton1.OnClick = [&] {
        splash.Timer1.SetEnabled(false);
        pictures.before = capture(splash);
        splash.pgbr.SetMax(1000);
        splash.pgbr.SetPosition(500);
        splash.lbArquivo2.Caption = kCaminhoLongo;
        // The window's own error display, the full disk's message naming the file.
        feedback::MostraErroECopiaDeNovo(
            {splash.IErro, splash.lErroM1, splash.lErroM2, splash.Label3},
            feedback::TextoErro(fileops::feNoSpace, "", "C:\\QOR7\\Sistemas\\Módulos\\", "pkRelatoriosGerenciais7.bpl"),
            [&] { application.ProcessMessages(); },
            [&] {
                pictures.after = capture(splash);
                return false;
            });
        pictures.failed = capture(splash);
        application.Terminate();
    };
    application.Run();
    return pictures;
}

void ExpectSplashPainted(const SplashPictures& pictures) {
    const ui::Picture& before = pictures.before;
    const ui::Picture& after = pictures.after;
    ASSERT_EQ(before.width, 501);
    ASSERT_EQ(before.height, 161);
    ASSERT_EQ(after.width, 501);
    ASSERT_EQ(after.height, 161);

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
    EXPECT_FALSE(AnyPixel(after, 390, 100, 499, 113, IsRed)) << "and stops there";
    // The full disk's sentence, then the file on a line of its own while nothing else needs it.
    EXPECT_TRUE(AnyPixel(after, 43, 114, 300, 127, IsWhite)) << "first line of the reason";
    EXPECT_TRUE(AnyPixel(after, 43, 129, 300, 141, IsWhite)) << "its second line: the file";
    ASSERT_EQ(pictures.failed.width, 501);
    EXPECT_TRUE(AnyPixel(pictures.failed, 8, 113, 39, 143, IsRed)) << "error icon stays";
    EXPECT_TRUE(AnyPixel(pictures.failed, 43, 129, 300, 141, IsWhite)) << "second method's line";
}

}  // namespace app_test
