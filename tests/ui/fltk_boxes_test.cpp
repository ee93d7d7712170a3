// The FLTK message boxes on a private virtual display: their buttons in the user's language, a
// screenshot of each, and a key typed before a box that must not answer it.
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
#include <X11/keysym.h>
#undef KeyPress
#undef None

#include "ui/fltk/fltk_backend.h"

namespace {

// What a box showed while it was up.
struct Seen {
    std::multiset<std::string> buttons;
    ui::Picture picture;
};

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
    box->hide();
}

class FltkBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
        ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";
        application = std::make_unique<ui::Application>(ui::MakeFltkBackend());
        application->Title = "Atualizaterminalqor7";
    }
    Seen Show(ui::BoxKind kind, const std::string& text, const std::string& png) {
        Seen seen;
        Fl::add_timeout(0.3, InspectBox, &seen);
        application->MessageBox(kind, text);
        Fl::remove_timeout(InspectBox, &seen);
        if (!seen.picture.empty()) testing_support::WritePng(seen.picture, std::string(ATUALIZA_BUILD_DIR) + "/" + png);
        return seen;
    }
    testing_support::XvfbDisplay display;
    std::unique_ptr<ui::Application> application;
};

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
    class Panel : public ui::TForm {
    public:
        Panel() : ui::TForm("Panel") { ClientWidth = 200, ClientHeight = 50, Border = ui::BorderStyle::None; }
    } panel;
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

}  // namespace
#endif
