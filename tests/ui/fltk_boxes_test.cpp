// The FLTK message boxes on a private virtual display: their buttons in the user's language, a
// screenshot of each, a key typed before a box that must not answer it, where a box stands, its
// fixed size, its icon, and a report whose columns line up.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "support/png_file.h"
#include "support/xvfb_display.h"
#include "ui/application.h"

#ifdef ATUALIZA_HAVE_FLTK
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#undef KeyPress
#undef None

#include "ui/fltk/fltk_backend.h"
#include "ui/fltk/message_box.h"

namespace {

// What a box showed while it was up.
struct Seen {
    std::multiset<std::string> buttons;
    ui::Picture picture;
    platform::Rect frame;
    XSizeHints hints{};
    std::string windowClass;
};

// The window's WM_CLASS: instance name and class, as "name/Class".
std::string WindowClass(unsigned long window) {
    XClassHint hint{};
    if (!XGetClassHint(fl_display, window, &hint)) return {};
    std::string both = std::string(hint.res_name ? hint.res_name : "") + "/" + (hint.res_class ? hint.res_class : "");
    XFree(hint.res_name);
    XFree(hint.res_class);
    return both;
}

ui::Picture Capture(Fl_Window& window) {
    window.make_current();
    const int w = window.w(), h = window.h();
    uchar* data = fl_read_image(nullptr, 0, 0, w, h);
    ui::Picture picture{w, h, {}};
    for (int i = 0; data && i < w * h; ++i)
        picture.pixels.push_back(0xFF000000u | data[3 * i] << 16 | data[3 * i + 1] << 8 | data[3 * i + 2]);
    delete[] data;
    return picture;
}

// Runs inside the box's own loop: notes its visible buttons and pixels, then closes it.
void InspectBox(void* data) {
    auto* seen = static_cast<Seen*>(data);
    Fl_Window* box = Fl::modal() ? Fl::modal() : Fl::first_window();
    if (!box) return;
    for (int i = 0; i < box->children(); ++i)
        if (auto* button = dynamic_cast<Fl_Button*>(box->child(i)); button && button->visible() && button->label())
            seen->buttons.insert(button->label());
    Fl::flush();
    seen->picture = Capture(*box);
    seen->frame = {box->x(), box->y(), box->x() + box->w(), box->y() + box->h()};
    long supplied = 0;
    XGetWMNormalHints(fl_display, fl_xid(box), &seen->hints, &supplied);
    seen->windowClass = WindowClass(fl_xid(box));
    box->hide();
}

// A borderless panel, as the splash window is.
class Panel : public ui::TForm {
public:
    Panel() : ui::TForm("Panel") {
        Border = ui::BorderStyle::None;
        Left = 1280 - 501, Top = 800 - 161, ClientWidth = 501, ClientHeight = 161;
    }
};

// One display for the whole program: the toolkit keeps its first connection until the process ends.
class FltkBoxes : public ::testing::Test {
protected:
    static void TearDownTestSuite() { display.reset(); }
    void SetUp() override {
        if (!display) display = std::make_unique<testing_support::XvfbDisplay>();
        if (!display->Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
        ASSERT_TRUE(display->ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display->Name() << " did not come up";
        application = std::make_unique<ui::Application>(ui::MakeFltkBackend());
        application->Title = "Atualizaterminalqor7";
    }
    Seen Show(ui::BoxKind kind, const std::string& text, const std::string& png,
              ui::BoxLayout layout = ui::BoxLayout::Prose) {
        Seen seen;
        Fl::add_timeout(0.3, InspectBox, &seen);
        application->MessageBox(kind, text, layout);
        Fl::remove_timeout(InspectBox, &seen);
        if (!seen.picture.empty()) testing_support::WritePng(seen.picture, std::string(ATUALIZA_BUILD_DIR) + "/" + png);
        return seen;
    }
    static inline std::unique_ptr<testing_support::XvfbDisplay> display;
    std::unique_ptr<ui::Application> application;
};

bool Dark(uint32_t pixel) { return (pixel >> 16 & 0xFF) < 100 && (pixel >> 8 & 0xFF) < 100 && (pixel & 0xFF) < 100; }

// Rows of text: each band of rows with dark pixels, top to bottom, and the right end of its ink.
struct TextBand {
    int top, bottom, left, right;
};
std::vector<TextBand> TextBands(const ui::Picture& picture, int bottomLimit) {
    std::vector<TextBand> bands;
    bool inBand = false;
    for (int y = 0; y < bottomLimit; ++y) {
        int left = picture.width, right = -1;
        for (int x = 0; x < picture.width; ++x)
            if (Dark(picture.at(x, y))) left = std::min(left, x), right = std::max(right, x);
        if (right < 0) {
            inBand = false;
            continue;
        }
        if (!inBand) bands.push_back({y, y, left, right});
        inBand = true;
        TextBand& band = bands.back();
        band.bottom = y, band.left = std::min(band.left, left), band.right = std::max(band.right, right);
    }
    return bands;
}

const char* const kReport = "Arquivos Atualizados :\r\r  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\r";

TEST_F(FltkBoxes, ButtonsInPortugueseAndNoAnswerFromAKeyTypedBefore) {
    EXPECT_EQ(Show(ui::BoxKind::Information, kReport, "report-box.png").buttons, std::multiset<std::string>{"OK"});
    EXPECT_EQ(Show(ui::BoxKind::Confirmation, "O diretório de destino\r/srv/QOR7/SUB/\rnão existe. Deseja cria-lo agora?",
                   "confirmation-box.png")
                  .buttons,
              (std::multiset<std::string>{"Sim", "Não"}));
    EXPECT_EQ(Show(ui::BoxKind::Plain, "Não consegui Excluir /srv/x.bpl", "plain-box.png").buttons,
              std::multiset<std::string>{"OK"});

    // Escape pressed on the splash window while the run still worked reaches the program only when
    // the box is already up: it must be dropped, not taken as the box's answer. (One test: the
    // toolkit keeps its first display for the whole process.)
    Panel panel;
    application->CreateForm(panel);
    application->GetBackend().ShowForm(panel);
    application->ProcessMessages();
    Fl::flush();
    XEvent key{};
    key.xkey.type = 2;  // KeyPress
    key.xkey.display = fl_display;
    key.xkey.window = ui::NativeWindowId(panel);
    key.xkey.root = DefaultRootWindow(fl_display);
    key.xkey.same_screen = True;
    key.xkey.keycode = XKeysymToKeycode(fl_display, XK_Escape);
    ASSERT_NE(XSendEvent(fl_display, key.xkey.window, True, KeyPressMask, &key), 0);
    XFlush(fl_display);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the key is on its way back to us
    EXPECT_EQ(Show(ui::BoxKind::Information, kReport, "report-box-after-key.png").buttons,
              std::multiset<std::string>{"OK"});
}

// The splash stays in sight: its boxes stand centred just above it, at a size nobody can change,
// and every window of the program is of the program's own class.
TEST_F(FltkBoxes, ABoxStandsAboveThePanelAtAFixedSizeInTheProgramsClass) {
    Panel panel;
    application->CreateForm(panel);
    application->GetBackend().ShowForm(panel);
    application->ProcessMessages();
    const Seen seen = Show(ui::BoxKind::Information, kReport, "report-box-over-panel.png");
    const int width = seen.frame.right - seen.frame.left, height = seen.frame.bottom - seen.frame.top;
    EXPECT_LE(seen.frame.bottom, panel.Top) << "covers the panel";
    EXPECT_GE(seen.frame.top, 0);
    EXPECT_NEAR((seen.frame.left + seen.frame.right) / 2, panel.Left + panel.ClientWidth / 2, 1);
    EXPECT_TRUE((seen.hints.flags & PMinSize) && (seen.hints.flags & PMaxSize));
    EXPECT_EQ(seen.hints.min_width, width);
    EXPECT_EQ(seen.hints.max_width, width);
    EXPECT_EQ(seen.hints.min_height, height);
    EXPECT_EQ(seen.hints.max_height, height);
    // The program's name; the class has its first letter in capitals, as X wants it.
    EXPECT_EQ(seen.windowClass, "test_ui/Test_ui");
    EXPECT_EQ(WindowClass(ui::NativeWindowId(panel)), "test_ui/Test_ui");
    application->DestroyForm(panel);
}

// A box without an icon starts its text at the margin; a report of failures warns.
TEST_F(FltkBoxes, APlainBoxLeavesNoGapAndAWarningShowsItsIcon) {
    const Seen plain = Show(ui::BoxKind::Plain, "Não consegui Excluir /srv/x.bpl", "plain-box.png");
    const std::vector<TextBand> text = TextBands(plain.picture, plain.picture.height - 44);
    ASSERT_FALSE(text.empty());
    EXPECT_LT(text[0].left, 20) << "room left for an icon that is not there";

    const Seen warning = Show(ui::BoxKind::Warning, "Arquivos NÃO Atualizados (avise o suporte) :", "warning-box.png");
    int yellow = 0;
    for (int y = 14; y < 46; ++y)
        for (int x = 14; x < 46; ++x) {
            const uint32_t p = warning.picture.at(x, y);
            yellow += (p >> 16 & 0xFF) > 200 && (p >> 8 & 0xFF) > 150 && (p & 0xFF) < 80;
        }
    EXPECT_GT(yellow, 200) << "the warning sign";
}

// Names padded with blanks to one width: in columns every list line ends at the same pixel.
TEST_F(FltkBoxes, TheReportsColumnsLineUp) {
    const std::string report =
        "Arquivos Atualizados :\r\r  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\r"
        "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1 Kb\r  Arquivo: WWWW.EXE            -  Tamanho: 1 Kb\r";
    const Seen seen = Show(ui::BoxKind::Information, report, "report-columns-box.png", ui::BoxLayout::Columns);
    const std::vector<TextBand> bands = TextBands(seen.picture, seen.picture.height - 44);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands[1].right, bands[2].right);
    EXPECT_EQ(bands[1].right, bands[3].right);
}

// Boxes of every size around owners anywhere: always whole on the work area; above a panel that
// leaves room, centred on it; centred on an ordinary window that leaves room around it.
TEST(PlaceBox, StaysOnTheWorkAreaAndKeepsThePanelInSight) {
    const platform::Rect area{0, 30, 1280, 800};
    unsigned seed = 12345;
    auto next = [&](int below) { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 8) % below; };
    for (int i = 0; i < 2000; ++i) {
        const ui::BoxSize box{100 + next(1100), 80 + next(600)};
        const int ownerWidth = 100 + next(1000), ownerHeight = 100 + next(600);
        const int left = next(1280 - ownerWidth), top = 30 + next(770 - ownerHeight);
        const ui::BoxOwner owner{{left, top, left + ownerWidth, top + ownerHeight}, next(2) == 0};
        const platform::Rect at = ui::PlaceBox(box, owner, area);
        const std::string what = "case " + std::to_string(i);
        ASSERT_EQ(at.right - at.left, box.width) << what;
        ASSERT_EQ(at.bottom - at.top, box.height) << what;
        ASSERT_TRUE(at.left >= area.left && at.right <= area.right && at.top >= area.top && at.bottom <= area.bottom) << what;
        const int centre = left + (ownerWidth - box.width) / 2;
        const bool roomBeside = centre >= area.left && centre + box.width <= area.right;
        if (roomBeside) {
            ASSERT_EQ(at.left, centre) << what;
        }
        if (owner.borderless && top - 8 - box.height >= area.top) {
            ASSERT_EQ(at.bottom, top - 8) << what;
        }
        const int overTop = top + (ownerHeight - box.height) / 2;
        if (!owner.borderless && roomBeside && overTop >= area.top && overTop + box.height <= area.bottom) {
            ASSERT_EQ(at.top, overTop) << what;
        }
    }
    const platform::Rect alone = ui::PlaceBox({200, 100}, std::nullopt, area);
    EXPECT_EQ(alone.left, 540);
    EXPECT_EQ(alone.top, 30 + 335);
}

}  // namespace
#endif
