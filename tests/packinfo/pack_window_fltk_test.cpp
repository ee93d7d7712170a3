// The package window drawn by the FLTK backend on a private virtual display: a real tree, the
// right-click menu, Escape whichever control has the focus, and a screenshot.
#include <gtest/gtest.h>

#ifdef ATUALIZA_HAVE_FLTK
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#undef None
#undef KeyPress

#include <array>
#include <chrono>
#include <functional>
#include <cstdlib>
#include <thread>

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "support/png_file.h"
#include "support/xvfb_display.h"
#include "modal_steps.h"
#include "pack_fixture.h"
#include "packinfo/pack_form.h"
#include "ui/fltk/fltk_backend.h"

namespace {

// A second connection to the display that sends input to a window as a person would.
class XInput {
public:
    explicit XInput(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
    ~XInput() {
        if (display_) XCloseDisplay(display_);
    }
    XInput(const XInput&) = delete;
    XInput& operator=(const XInput&) = delete;
    bool Open() const { return display_ != nullptr; }

    void Key(unsigned long window, KeySym keysym) {
        XKeyEvent event{};
        Fill(event, window);
        event.keycode = XKeysymToKeycode(display_, keysym);
        event.type = 2;  // KeyPress
        XSendEvent(display_, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
        event.type = 3;  // KeyRelease
        XSendEvent(display_, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&event));
        XFlush(display_);
    }

    void RightClick(unsigned long window, int x, int y) {
        XButtonEvent event{};
        Fill(event, window);
        event.x = x;
        event.y = y;
        event.button = Button3;
        event.type = ButtonPress;
        XSendEvent(display_, window, True, ButtonPressMask, reinterpret_cast<XEvent*>(&event));
        XFlush(display_);
    }

private:
    template <typename Event>
    void Fill(Event& event, unsigned long window) {
        event.display = display_;
        event.window = window;
        event.root = DefaultRootWindow(display_);
        event.subwindow = 0;
        event.time = CurrentTime;
        event.same_screen = True;
    }
    Display* display_;
};

// One display for the whole program: the toolkit keeps its first connection until the process ends.
// A connection of our own stays open too, so that the server never resets between clients.
class DisplayEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        keeper_.reset();
        display_.reset();
    }
    static testing_support::XvfbDisplay* Display() {
        if (!display_) {
            display_ = std::make_unique<testing_support::XvfbDisplay>();
            if (!display_->Running()) return nullptr;
            setenv("DISPLAY", display_->Name().c_str(), 1);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < deadline) {
                keeper_ = std::make_unique<XInput>(display_->Name());
                if (keeper_->Open()) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        return display_->Running() ? display_.get() : nullptr;
    }

private:
    static inline std::unique_ptr<testing_support::XvfbDisplay> display_;
    static inline std::unique_ptr<XInput> keeper_;
};
[[maybe_unused]] ::testing::Environment* const displayEnvironment =
    ::testing::AddGlobalTestEnvironment(new DisplayEnvironment);

class PackWindowFltkTest : public packinfo_test::PackTest {
protected:
    void SetUp() override {
        testing_support::XvfbDisplay* xvfb = DisplayEnvironment::Display();
        if (!xvfb) GTEST_SKIP() << "Xvfb is not installed: no window test";
        ASSERT_TRUE(ui::FltkDisplayAvailable()) << "Xvfb " << xvfb->Name() << " did not come up";
        displayName = xvfb->Name();
        application = std::make_unique<ui::Application>(ui::MakeFltkBackend());
        for (const char* name : {"vcl50.bpl", "rtl50.bpl", "dbrtl50.bpl", "midas.dll", "fbclient.dll"})
            program.write(name, "");
    }

    void ShowModal(packinfo::TFrmPKG& form, const std::function<bool(int)>& step) {
        packinfo_test::ShowModalInSteps(*application, form, step);
    }

    std::string displayName;
    std::unique_ptr<ui::Application> application;
};

TEST_F(PackWindowFltkTest, EscapeClosesTheWindowWhicheverControlHasTheFocus) {
    for (bool treeFocused : {true, false}) {
        packinfo::TFrmPKG form(*application, machine);
        form.CarregaPacotes("S:\\Sistemas\\QOR7\\");
        int destroyed = 0;
        form.OnDestroy = [&] { ++destroyed; };
        XInput input(displayName);
        ASSERT_TRUE(input.Open());
        bool focused = false;
        ShowModal(form, [&](int tick) {
            if (tick == 0) {
                focused = ui::FocusControl(form, treeFocused ? &form.TreeView1 : nullptr);
                input.Key(ui::NativeWindowId(form), XK_a);  // other keys leave it open
                return false;
            }
            EXPECT_TRUE(application->Alive(form)) << "a key other than Escape";
            input.Key(ui::NativeWindowId(form), XK_Escape);
            return true;
        });
        EXPECT_TRUE(focused) << (treeFocused ? "tree" : "window");
        EXPECT_EQ(destroyed, 1) << (treeFocused ? "tree focused" : "window focused");
    }
}

TEST_F(PackWindowFltkTest, EscapeIsNoCloseRequestForAFormWithoutKeyHandling) {
    ui::TForm panel("Panel");  // like the splash window: borderless, no key handler
    panel.Border = ui::BorderStyle::None;
    panel.ClientWidth = 200;
    panel.ClientHeight = 80;
    int closeRequests = 0;
    panel.OnClose = [&](ui::TCloseAction&) { ++closeRequests; };
    application->CreateForm(panel);
    XInput input(displayName);
    ASSERT_TRUE(input.Open());
    ui::TTimer driver("driver");
    driver.Interval = 150;
    int tick = 0;
    driver.OnTimer = [&] {
        if (tick++ == 0) input.Key(ui::NativeWindowId(panel), XK_Escape);
        else application->Terminate();
    };
    driver.SetEnabled(true);
    application->Run();
    EXPECT_EQ(closeRequests, 0);
    EXPECT_TRUE(application->Alive(panel));
    application->DestroyForm(panel);
}

TEST_F(PackWindowFltkTest, RightClickSelectsTheNodeAndOpensTheMenu) {
    packinfo::TFrmPKG form(*application, machine);
    form.CarregaPacotes("S:\\Sistemas\\QOR7\\");
    XInput input(displayName);
    ASSERT_TRUE(input.Open());
    std::thread menuKeys;
    ShowModal(form, [&](int tick) {
        if (tick == 0) {
            const unsigned long window = ui::NativeWindowId(form);
            // The menu runs its own loop inside the click: its keys come from another thread.
            menuKeys = std::thread([&, window] {
                XInput keys(displayName);
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                keys.Key(window, XK_Down);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                keys.Key(window, XK_Return);
            });
            input.RightClick(window, 80, 10);  // on the first node
            return false;
        }
        application->RequestClose(form);
        return true;
    });
    if (menuKeys.joinable()) menuKeys.join();
    ASSERT_FALSE(form.TreeView1.Items.empty());
    EXPECT_EQ(form.TreeView1.Selected, form.TreeView1.Items[0].get());
    ASSERT_EQ(shell->calls.size(), 1u) << "\"Ir na Pasta\" chosen from the menu";
    EXPECT_EQ(shell->calls[0].parameters, "\"" + program.folder() + "\"");
}

// An ordinary window: the size hints let a person size it, and after a resize (as a window
// manager makes it) the tree fills the new client area.
TEST_F(PackWindowFltkTest, TheWindowCanBeSizedAndTheTreeFollows) {
    packinfo::TFrmPKG form(*application, machine);
    Display* other = XOpenDisplay(displayName.c_str());
    ASSERT_NE(other, nullptr);
    XSizeHints hints{};
    long supplied = 0;
    ShowModal(form, [&](int tick) {
        const unsigned long window = ui::NativeWindowId(form);
        if (tick == 0) {
            XGetWMNormalHints(other, window, &hints, &supplied);
            XResizeWindow(other, window, 700, 450);
            XFlush(other);
            return false;
        }
        if (form.ClientWidth != 700 && tick < 20) return false;
        application->RequestClose(form);
        return true;
    });
    XCloseDisplay(other);
    const bool fixed = (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
                       hints.min_height == hints.max_height;
    EXPECT_FALSE(fixed) << hints.min_width << "x" << hints.min_height;
    EXPECT_EQ(form.ClientWidth, 700);
    EXPECT_EQ(form.ClientHeight, 450);
    EXPECT_EQ(form.TreeView1.Width, 700);
    EXPECT_EQ(form.TreeView1.Height, 450);
}

TEST_F(PackWindowFltkTest, ScreenshotOfTheFilledTree) {
    packinfo::TFrmPKG form(*application, machine);
    program.write("servidor/pkServidor7.bpl", "");  // the server's masks list their files too
    form.CarregaPacotes(program.folder() + "servidor/");
    ASSERT_EQ(form.TreeView1.Items.size(), 4u);
    ASSERT_EQ(form.TreeView1.Items[2]->Children.size(), 1u);
    form.TreeView1.Selected = form.TreeView1.Items[0]->Children[1].get();
    ui::Picture picture;
    ShowModal(form, [&](int) {
        picture = ui::CaptureFormPixels(form);
        application->RequestClose(form);
        return true;
    });
    EXPECT_EQ(form.Left, (1280 - 512) / 2) << "centred on the screen";
    EXPECT_EQ(form.Top, (800 - 388) / 2);
    ASSERT_EQ(picture.width, 512);
    ASSERT_EQ(picture.height, 388);
    testing_support::WritePng(picture, std::string(ATUALIZA_BUILD_DIR) + "/packinfo.png");

    auto rgb = [&](int x, int y) {
        const uint32_t p = picture.at(x, y);
        return std::array<int, 3>{static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                                  static_cast<int>(p & 0xFF)};
    };
    const auto blank = rgb(400, 350);
    EXPECT_TRUE(blank[0] > 240 && blank[1] > 240 && blank[2] > 240) << "white tree area below the nodes";
    int dark = 0, selected = 0;
    for (int y = 0; y < 140; ++y)
        for (int x = 0; x < 500; ++x) {
            const auto c = rgb(x, y);
            if (c[0] < 60 && c[1] < 60 && c[2] < 60) ++dark;
            if (c[2] > c[0] + 60) ++selected;
        }
    EXPECT_GT(dark, 200) << "node texts";
    EXPECT_GT(selected, 200) << "the selected node is highlighted";
}

int DarkPixels(const ui::Picture& picture) {
    int dark = 0;
    for (uint32_t p : picture.pixels) dark += (p >> 16 & 0xFF) < 60 && (p >> 8 & 0xFF) < 60 && (p & 0xFF) < 60;
    return dark;
}

void AnswerTheBox(void*) {
    if (Fl_Window* box = Fl::modal()) box->hide();
}

// A copy into the program folder shows in the tree at once: one more file under its mask.
TEST_F(PackWindowFltkTest, TheTreeFollowsACopyIntoTheProgramFolder) {
    testing_support::TempDir server;
    server.write("novo.bpl", "n");
    packinfo::TFrmPKG form(*application, machine);
    form.CarregaPacotes(server.folder());
    form.TreeView1.Selected = form.TreeView1.Items[2].get();  // the server's *.bpl
    ui::Picture before, after;
    ShowModal(form, [&](int tick) {
        if (tick == 0) {
            before = ui::CaptureFormPixels(form);
            Fl::add_timeout(0.3, AnswerTheBox);
            form.CopiarparaoDiretorio1Click(&form);
            return false;
        }
        after = ui::CaptureFormPixels(form);
        application->RequestClose(form);
        return true;
    });
    testing_support::WritePng(after, std::string(ATUALIZA_BUILD_DIR) + "/packinfo-after-copy.png");
    ASSERT_EQ(form.TreeView1.Items[0]->Children.size(), 4u);
    EXPECT_GT(DarkPixels(after), DarkPixels(before) + 150) << "a node more, drawn";
}

}  // namespace
#endif
