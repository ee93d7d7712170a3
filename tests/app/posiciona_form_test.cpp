#include <gtest/gtest.h>

#include "app/posiciona_form.h"

namespace {

// A window of the splash window's size at its design position.
struct Splash : ui::TForm {
    Splash() : ui::TForm("FrmAtuModulo") {
        Left = 266;
        Top = 229;
        ClientWidth = 501;
        ClientHeight = 161;
    }
};

app::FonteAreaTrabalho Desktop(std::optional<platform::Rect> area, ui::ScreenSize screen = {1920, 1080}) {
    return {[area] { return area; }, [screen] { return screen; }};
}

TEST(PosicionaForm, BottomRightCornerOfTheWorkArea) {
    Splash form;
    app::PosicionaForm(form, 3, 3, Desktop(platform::Rect{0, 0, 1920, 1040}));  // task bar at the bottom
    EXPECT_EQ(form.Left, 1419);
    EXPECT_EQ(form.Top, 879);

    app::PosicionaForm(form, 3, 3, Desktop(platform::Rect{0, 0, 1860, 1080}));  // task bar docked right
    EXPECT_EQ(form.Left + form.Width(), 1860);
    EXPECT_EQ(form.Top + form.Height(), 1080);
}

TEST(PosicionaForm, WholeScreenWhenTheWorkAreaCannotBeRead) {
    Splash form;
    app::PosicionaForm(form, 3, 3, Desktop(std::nullopt, {1024, 768}));
    EXPECT_EQ(form.Left, 523);
    EXPECT_EQ(form.Top, 607);
}

TEST(PosicionaForm, CodesOneAndTwoCountFromTheScreenOrigin) {
    Splash form;
    const auto area = Desktop(platform::Rect{100, 50, 1920, 1080});  // bars docked left and top
    app::PosicionaForm(form, 1, 1, area);
    EXPECT_EQ(form.Left, 0);
    EXPECT_EQ(form.Top, 0);
    app::PosicionaForm(form, 2, 2, area);
    EXPECT_EQ(form.Left, (1820 - 501) / 2);  // 659
    EXPECT_EQ(form.Top, (1030 - 161) / 2);   // 434
}

TEST(PosicionaForm, HalfOfANegativeExtentTruncatesTowardZero) {
    Splash form;
    app::PosicionaForm(form, 2, 2, Desktop(platform::Rect{0, 0, 400, 100}));
    EXPECT_EQ(form.Left, -50);  // (400 - 501) / 2 = -50.5
    EXPECT_EQ(form.Top, -30);   // (100 - 161) / 2 = -30.5
}

TEST(PosicionaForm, OtherCodesLeaveThatEdgeAlone) {
    Splash form;
    app::PosicionaForm(form, 0, 3, Desktop(platform::Rect{0, 0, 1920, 1040}));
    EXPECT_EQ(form.Left, 266);
    EXPECT_EQ(form.Top, 879);
    app::PosicionaForm(form, 3, 255, Desktop(platform::Rect{0, 0, 1920, 1040}));
    EXPECT_EQ(form.Left, 1419);
    EXPECT_EQ(form.Top, 879);
}

}  // namespace
