// The package window drawn by the Win32 backend (under Wine on the build machine): Escape closes
// it whichever control has the focus, and "Ir na Pasta" from the tree's menu opens the chosen
// node's folder with the application's own window as the owner.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "pack_fixture.h"
#include "packinfo/pack_form.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"

#include <commctrl.h>

namespace {

class PackWindowWin32Test : public packinfo_test::PackTest {
protected:
    void SetUp() override {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no desktop to create windows on";
        DestroyWindow(probe);
        for (const char* name : {"vcl50.bpl", "rtl50.bpl", "midas.dll"}) program.write(name, "");
    }

    // Shows the window modally; `step` runs every 150 ms until it returns true. A window still open
    // after five seconds is closed from here and the test fails.
    void ShowModal(packinfo::TFrmPKG& form, std::function<bool(int)> step) {
        application.CreateForm(form);
        ui::TTimer driver("driver"), guard("guard");
        int tick = 0;
        driver.Interval = 150;
        driver.OnTimer = [&] {
            if (step(tick++)) driver.SetEnabled(false);
        };
        guard.Interval = 5000;
        guard.OnTimer = [&] {
            guard.SetEnabled(false);
            ADD_FAILURE() << "the window did not close";
            application.DestroyForm(form);
        };
        driver.SetEnabled(true);
        guard.SetEnabled(true);
        application.ShowModal(form);
        application.DestroyForm(form);
    }

    static HWND TreeOf(packinfo::TFrmPKG& form) {
        return FindWindowExW(static_cast<HWND>(form.NativeHandle), nullptr, WC_TREEVIEWW, nullptr);
    }

    ui::Application application{ui::MakeWin32Backend()};
};

void PostKey(HWND window, WPARAM virtualKey, UINT scanCode) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scanCode) << 16);
    PostMessageW(window, WM_KEYUP, virtualKey, 1 | static_cast<LPARAM>(scanCode) << 16 | 0xC0000000);
}

// The visible popup menu window of a thread, or null.
HWND MenuWindowOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring(name) != L"#32768" || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(PackWindowWin32Test, EscapeClosesTheWindowWhicheverControlHasTheFocus) {
    for (bool treeFocused : {true, false}) {
        packinfo::TFrmPKG form(application, machine);
        form.CarregaPacotes("S:\\Sistemas\\QOR7\\");
        int destroyed = 0;
        form.OnDestroy = [&] { ++destroyed; };
        HWND target = nullptr;
        bool treeHadTheFocus = false;
        ShowModal(form, [&](int tick) {
            if (tick == 0) {
                HWND tree = TreeOf(form);
                SetFocus(tree);
                treeHadTheFocus = GetFocus() == tree;
                target = treeFocused ? tree : static_cast<HWND>(form.NativeHandle);
                PostKey(target, 'A', 0x1E);  // other keys leave it open
                return false;
            }
            EXPECT_TRUE(application.Alive(form)) << "a key other than Escape";
            PostKey(target, VK_ESCAPE, 0x01);
            return true;
        });
        EXPECT_TRUE(treeHadTheFocus);
        EXPECT_EQ(destroyed, 1) << (treeFocused ? "keys into the tree" : "keys into the window");
    }
}

TEST_F(PackWindowWin32Test, IrNaPastaFromTheTreeMenuOpensTheNodeFolder) {
    packinfo::TFrmPKG form(application, machine);
    form.CarregaPacotes("S:\\Sistemas\\QOR7\\");
    const DWORD uiThread = GetCurrentThreadId();
    std::thread keys;
    ShowModal(form, [&](int tick) {
        if (tick == 0) {
            HWND tree = TreeOf(form);
            HTREEITEM first = TreeView_GetRoot(tree);
            RECT box{};
            TreeView_GetItemRect(tree, first, &box, TRUE);
            // The menu runs its own loop inside the click: its keys come from another thread.
            keys = std::thread([uiThread] {
                HWND menu = nullptr;
                for (int i = 0; i < 100 && !menu; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(30));
                    menu = MenuWindowOf(uiThread);
                }
                if (!menu) return;
                for (WPARAM key : {VK_DOWN, VK_RETURN}) {
                    PostMessageW(menu, WM_KEYDOWN, key, 1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(60));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1000));
                if (MenuWindowOf(uiThread)) PostMessageW(menu, WM_CANCELMODE, 0, 0);  // never hang the test
            });
            const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
            PostMessageW(tree, WM_RBUTTONDOWN, MK_RBUTTON, at);
            PostMessageW(tree, WM_RBUTTONUP, 0, at);
            return false;
        }
        if (shell->calls.empty() && tick < 20) return false;
        application.RequestClose(form);
        return true;
    });
    if (keys.joinable()) keys.join();
    ASSERT_FALSE(form.TreeView1.Items.empty());
    EXPECT_EQ(form.TreeView1.Selected, form.TreeView1.Items[0].get());
    ASSERT_EQ(shell->calls.size(), 1u) << "\"Ir na Pasta\" chosen from the menu";
    EXPECT_EQ(shell->calls[0].file, "explorer.exe");
    EXPECT_NE(shell->calls[0].parameters.find(program.folder()), std::string::npos) << shell->calls[0].parameters;
    EXPECT_EQ(shell->calls[0].ownerWindow, application.Handle());
    EXPECT_NE(shell->calls[0].ownerWindow, nullptr);
}

}  // namespace

#endif  // _WIN32
