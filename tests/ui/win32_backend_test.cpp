// The Win32 window backend: the window a form gets, what it paints, and where close requests
// and keys go. Needs a desktop (under Wine: an X display); skipped without one.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"

#include "support/png_file.h"
#include "support/screen_pixels.h"
#include "support/win32_input.h"

namespace {

using namespace ui;

constexpr Color kFormColor = 0x0000FF;
constexpr uint32_t kPictureColor = 0xFF202020;

class PaintedForm : public TForm {
public:
    PaintedForm() : TForm("PaintedForm") {
        Border = BorderStyle::None;
        Left = 30, Top = 40, ClientWidth = 120, ClientHeight = 60;
        BackgroundColor = kFormColor;

        Background.Left = 0, Background.Top = 0, Background.Width = 100, Background.Height = 50;
        Background.Image.width = 100, Background.Image.height = 50;
        Background.Image.pixels.assign(100 * 50, kPictureColor);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) Background.Image.pixels[y * 100 + x] = 0;  // transparent corner

        Clipped.Left = 10, Clipped.Top = 20, Clipped.Width = 30, Clipped.Height = 13;
        Clipped.AutoSize = false;
        Clipped.Caption = "WWWWWWWWWWWWWWWW";
        Clipped.LabelFont = {"Tahoma", 11, true, colors::White};

        Hidden.Left = 60, Hidden.Top = 2, Hidden.Caption = "HIDDEN";
        Hidden.LabelFont = {"Tahoma", 11, true, colors::Red};
        Hidden.Visible = false;

        Gauge.Left = 0, Gauge.Top = 55, Gauge.Width = 100, Gauge.Height = 3;
        Gauge.SetPosition(25);

        Register(Background);
        Register(Clipped);
        Register(Hidden);
        Register(Gauge);
    }
    TImage Background{"Background"};
    TLabel Clipped{"Clipped"};
    TLabel Hidden{"Hidden"};
    TProgressBar Gauge{"Gauge"};
};

int CountIn(const Picture& picture, int x0, int y0, int x1, int y1, uint32_t color) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) count += (picture.at(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return count;
}

class Win32BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
    }
    Application application{MakeWin32Backend()};
    PaintedForm form;
};

TEST_F(Win32BackendTest, ABorderlessFormIsAPopupWindowAtItsDesignedPlace) {
    application.CreateForm(form);
    application.GetBackend().ShowForm(form);
    HWND window = static_cast<HWND>(form.NativeHandle);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 30);
    EXPECT_EQ(outer.top, 40);
    EXPECT_EQ(outer.right - outer.left, 120);
    EXPECT_EQ(outer.bottom - outer.top, 60);

    // The model moves; the window follows within a few repaint intervals of the loop.
    form.Left = 50;
    application.GetBackend().Refresh(form);
    const DWORD start = GetTickCount();
    do {
        application.GetBackend().Wait(0.02);
        GetWindowRect(window, &outer);
    } while (outer.left != 50 && GetTickCount() - start < 1000);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(form.Left, 50);

    application.DestroyForm(form);
    EXPECT_EQ(form.NativeHandle, nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(Win32BackendTest, PaintsPictureLabelsAndGaugeFromTheModel) {
    application.CreateForm(form);
    application.GetBackend().ShowForm(form);
    const Picture shot = CaptureWin32FormPixels(form);
    ASSERT_EQ(shot.width, 120);
    ASSERT_EQ(shot.height, 60);

    EXPECT_EQ(shot.at(5, 5) & 0xFFFFFF, kFormColor);        // through the transparent corner
    EXPECT_EQ(shot.at(50, 5) & 0xFFFFFF, kPictureColor & 0xFFFFFF);
    EXPECT_EQ(shot.at(110, 20) & 0xFFFFFF, kFormColor);     // beside the picture
    // Label text inside its fixed box, none past its right edge.
    // Too long for its box, the text is shortened to fit it (how much is left depends on the font).
    EXPECT_GT(CountIn(shot, 10, 20, 40, 33, colors::White), 0);
    EXPECT_EQ(CountIn(shot, 40, 20, 100, 33, colors::White), 0);
    // A hidden control is never drawn.
    EXPECT_EQ(CountIn(shot, 0, 0, 120, 60, colors::Red), 0);
    // A quarter of the gauge is filled.
    EXPECT_EQ(CountIn(shot, 0, 55, 25, 58, colors::Lime), 25 * 3);
    EXPECT_EQ(CountIn(shot, 25, 55, 100, 58, colors::White), 75 * 3);

    form.Gauge.SetPosition(100);
    application.GetBackend().Refresh(form);
    const Picture full = CaptureWin32FormPixels(form);
    EXPECT_EQ(CountIn(full, 0, 55, 100, 58, colors::Lime), 100 * 3);
}

TEST_F(Win32BackendTest, CloseRequestsAndKeysGoToTheApplication) {
    int closeRequests = 0;
    char lastKey = 0;
    form.OnClose = [&](TCloseAction& action) {
        ++closeRequests;
        action = TCloseAction::caNone;  // refused: the window must survive
    };
    form.OnKeyPress = [&](char& key) { lastKey = key; };
    application.CreateForm(form);
    application.GetBackend().ShowForm(form);
    HWND window = static_cast<HWND>(form.NativeHandle);

    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_TRUE(IsWindow(window));

    SendMessageW(window, WM_CHAR, 27, 0);
    EXPECT_EQ(lastKey, 27);
    PostMessageW(window, WM_CHAR, 'a', 0);
    application.GetBackend().Check();
    EXPECT_EQ(lastKey, 'a');
}

// A wait ends early for any message, and windows of other programs on the same desktop may send
// one now and then: what counts is that an idle wait blocks for its time and never overruns it.
TEST_F(Win32BackendTest, WaitBlocksForItsTimeoutWhenNothingHappens) {
    application.GetBackend().Check();  // what earlier cases left queued
    DWORD longest = 0;
    for (int attempt = 0; attempt < 5 && longest < 80; ++attempt) {
        const DWORD start = GetTickCount();
        application.GetBackend().Wait(0.1);
        const DWORD waited = GetTickCount() - start;
        EXPECT_LT(waited, 2000u);
        longest = std::max(longest, waited);
    }
    EXPECT_GE(longest, 80u);
}

TEST_F(Win32BackendTest, WaitEndsWhenAMessageArrives) {
    application.GetBackend().Check();
    const DWORD thread = GetCurrentThreadId();
    std::thread poster([thread] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        PostThreadMessageW(thread, WM_NULL, 0, 0);
    });
    const DWORD start = GetTickCount();
    application.GetBackend().Wait(10.0);
    const DWORD waited = GetTickCount() - start;
    poster.join();
    EXPECT_LT(waited, 5000u) << "a ten-second wait must end with the message";
}

TEST_F(Win32BackendTest, ApplicationHandleIsAHiddenTopLevelWindowOfItsOwn) {
    auto window = static_cast<HWND>(application.Handle());
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(application.Handle(), window) << "one window for the application's life";
    application.CreateForm(form);
    application.GetBackend().ShowForm(form);
    EXPECT_NE(form.NativeHandle, window);
}

TEST_F(Win32BackendTest, AModalFormDisablesTheOtherWindowsUntilItCloses) {
    PaintedForm disabledBefore, modal;
    application.CreateForm(form);
    application.CreateForm(disabledBefore);
    application.GetBackend().ShowForm(form);
    application.GetBackend().ShowForm(disabledBefore);
    auto main = static_cast<HWND>(form.NativeHandle), other = static_cast<HWND>(disabledBefore.NativeHandle);
    EnableWindow(other, FALSE);  // someone else's choice: it must stay so

    bool mainEnabled = true, modalEnabled = false;
    TTimer check("check");
    check.Interval = 50;
    check.OnTimer = [&] {
        check.SetEnabled(false);
        mainEnabled = IsWindowEnabled(main);
        modalEnabled = IsWindowEnabled(static_cast<HWND>(modal.NativeHandle));
        application.RequestClose(modal);
    };
    check.SetEnabled(true);
    application.ShowModal(modal);

    EXPECT_FALSE(mainEnabled) << "while the modal form is shown";
    EXPECT_TRUE(modalEnabled);
    EXPECT_TRUE(IsWindowEnabled(main)) << "after it closed";
    EXPECT_FALSE(IsWindowEnabled(other));
}

// A box is answered from inside its own loop; what it was, is kept for the checks.
struct SeenBox {
    RECT frame{};
    bool scrolls = false;
    std::wstring firstButton;
    ui::Picture picture;
    bool seen = false;
} seenBox;

void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, timer);
    seenBox.seen = true;
    GetWindowRect(box, &seenBox.frame);
    seenBox.picture = testing_support::ScreenPixelsOf("", reinterpret_cast<unsigned long long>(box));
    seenBox.scrolls = FindWindowExW(box, nullptr, L"EDIT", nullptr) != nullptr;
    wchar_t label[16] = {};
    GetWindowTextW(FindWindowExW(box, nullptr, L"BUTTON", nullptr), label, 16);
    seenBox.firstButton = label;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// The help of a program started without a console, and any text as long: a box that fits the work
// area, its text scrolling inside it; a short text needs no scrolling.
TEST(Win32Boxes, ATextTallerThanTheScreenScrollsInsideABoxThatFits) {
    if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
    Application application(MakeWin32Backend());
    application.Title = "Atualizaterminalqor7";
    std::string tall;
    for (int i = 1; i <= 150; ++i) tall += "  linha " + std::to_string(i) + " da ajuda\r";
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    for (const auto& [text, shouldScroll] : {std::pair<std::string, bool>{tall, true}, {"Arquivo copiado com sucesso.", false}}) {
        seenBox = {};
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerTheBox);
        EXPECT_EQ(application.MessageBox(BoxKind::Information, text), Answer::OK);
        KillTimer(nullptr, timer);
        ASSERT_TRUE(seenBox.seen);
        EXPECT_EQ(seenBox.scrolls, shouldScroll);
        EXPECT_EQ(seenBox.firstButton, L"OK");
        EXPECT_GE(seenBox.frame.top, area.top);
        EXPECT_LE(seenBox.frame.bottom, area.bottom) << "taller than the work area";
        EXPECT_LE(seenBox.frame.right, area.right);
        if (shouldScroll)
            testing_support::WritePng(seenBox.picture, "tall-box-win32.png"  /* in the build folder, where the suite runs */);
    }
}

}  // namespace

#endif  // _WIN32
