// The package window drawn by the Win32 backend (under Wine on the build machine): Escape closes
// it whichever control has the focus, and "Ir na Pasta" from the tree's menu opens the chosen
// node's folder with the application's own window as the owner.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "modal_steps.h"
#include "pack_fixture.h"
#include "packinfo/pack_form.h"
#include "support/win32_input.h"
#include "ui/win32/win32_backend.h"

namespace {

class PackWindowWin32Test : public packinfo_test::PackTest {
protected:
    void SetUp() override {
        if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
        for (const char* name : {"vcl50.bpl", "rtl50.bpl", "midas.dll"}) program.write(name, "");
    }

    void ShowModal(packinfo::TFrmPKG& form, const std::function<bool(int)>& step) {
        packinfo_test::ShowModalInSteps(application, form, step);
    }

    static HWND TreeOf(packinfo::TFrmPKG& form) {
        return FindWindowExW(static_cast<HWND>(form.NativeHandle), nullptr, WC_TREEVIEWW, nullptr);
    }

    ui::Application application{ui::MakeWin32Backend()};
};

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
                testing_support::PostKey(target, 'A', 0x1E);  // other keys leave it open
                return false;
            }
            EXPECT_TRUE(application.Alive(form)) << "a key other than Escape";
            testing_support::PostKey(target, VK_ESCAPE, 0x01);
            return true;
        });
        EXPECT_TRUE(treeHadTheFocus);
        EXPECT_EQ(destroyed, 1) << (treeFocused ? "keys into the tree" : "keys into the window");
    }
}

// Maximised and restored by the user, the window's tree fills its client area again: the model
// must not keep the maximised size.
TEST_F(PackWindowWin32Test, AfterMaximiseAndRestoreTheTreeFillsTheClientArea) {
    packinfo::TFrmPKG form(application, machine);
    RECT client{}, tree{};
    ShowModal(form, [&](int tick) {
        HWND window = static_cast<HWND>(form.NativeHandle);
        if (tick == 0) ShowWindow(window, SW_MAXIMIZE);
        if (tick == 1) ShowWindow(window, SW_RESTORE);
        if (tick < 3) return false;
        GetClientRect(window, &client);
        GetWindowRect(TreeOf(form), &tree);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tree), 2);
        application.RequestClose(form);
        return true;
    });
    EXPECT_EQ(client.right, 512);
    EXPECT_EQ(client.bottom, 388);
    EXPECT_EQ(tree.right - tree.left, client.right);
    EXPECT_EQ(tree.bottom - tree.top, client.bottom);
    EXPECT_EQ(form.ClientWidth, 512);
}

TEST_F(PackWindowWin32Test, IrNaPastaFromTheTreeMenuOpensTheNodeFolder) {
    packinfo::TFrmPKG form(application, machine);
    form.CarregaPacotes("S:\\Sistemas\\QOR7\\");
    const DWORD uiThread = GetCurrentThreadId();
    std::thread keys;
    ShowModal(form, [&](int tick) {
        if (tick == 0) {
            HWND tree = TreeOf(form);
            keys = testing_support::PressKeysInNextMenu(uiThread, {VK_DOWN, VK_RETURN});
            testing_support::PostClick(tree, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON,
                                       testing_support::CentreOf(tree, TreeView_GetRoot(tree)));
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
