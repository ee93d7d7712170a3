// The Win32 backend's tree view: the system's control as a child of the form's window, its nodes,
// indent, place and selection from the model, the user's selection back into the model, the
// right-click menu, and key preview. Needs a desktop (under Wine: an X display); skipped without one.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_backend.h"

#include "support/win32_input.h"

namespace {

using namespace ui;

class TreeForm : public TForm {
public:
    TreeForm() : TForm("TreeForm") {
        Caption = "Pacotes";
        Left = 40, Top = 40, ClientWidth = 300, ClientHeight = 200;
        Tree.Align = TAlign::alClient;
        Tree.Indent = 25;
        Tree.PopupMenu = &Menu;
        TTreeNode* packages = Tree.AddRoot("C:\\QOR7\\*.bpl");
        packages->Add("C:\\QOR7\\vcl50.bpl");
        packages->Add("C:\\QOR7\\rtl50.bpl");
        Tree.AddRoot("C:\\QOR7\\*.dll")->Add("C:\\QOR7\\midas.dll");
        Menu.Items = {{"Um", "Primeiro", [this] { chosen.push_back(1); }},
                      {"Dois", "Segundo", [this] { chosen.push_back(2); }}};
        Register(Tree);
    }
    TTreeNode* Node(size_t root, size_t child) { return Tree.Items[root]->Children[child].get(); }
    TTreeView Tree{"Tree"};
    TPopupMenu Menu{"Menu"};
    std::vector<int> chosen;
};

std::string TextOf(HWND tree, HTREEITEM item) {
    wchar_t buffer[260] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = buffer;
    data.cchTextMax = 260;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return "<none>";
    return platform::win32::fromWide(buffer);
}

// The control's item for the node at (root, child).
HTREEITEM ItemAt(HWND tree, int root, int child) {
    HTREEITEM item = TreeView_GetRoot(tree);
    for (int i = 0; i < root && item; ++i) item = TreeView_GetNextSibling(tree, item);
    item = item ? TreeView_GetChild(tree, item) : nullptr;
    for (int i = 0; i < child && item; ++i) item = TreeView_GetNextSibling(tree, item);
    return item;
}

using testing_support::CentreOf;
using testing_support::PostClick;
using testing_support::PostKey;

class Win32TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";
        application.CreateForm(form);
        application.GetBackend().ShowForm(form);
        tree = FindWindowExW(static_cast<HWND>(form.NativeHandle), nullptr, WC_TREEVIEWW, nullptr);
        ASSERT_TRUE(tree) << "the form's window has a tree-view child";
    }
    // Runs the loop until done() or two seconds have passed; false on the time-out.
    bool LoopUntil(const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > 2000) return false;
            application.GetBackend().Refresh(form);
            application.GetBackend().Wait(0.02);
        }
        return true;
    }
    Application application{MakeWin32Backend()};
    TreeForm form;
    HWND tree = nullptr;
};

TEST_F(Win32TreeViewTest, NodesIndentAndPlaceFollowTheModel) {
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(tree, TVM_GETINDENT, 0, 0), 25);
    EXPECT_EQ(TextOf(tree, TreeView_GetRoot(tree)), "C:\\QOR7\\*.bpl");
    EXPECT_EQ(TextOf(tree, ItemAt(tree, 0, 1)), "C:\\QOR7\\rtl50.bpl");
    EXPECT_EQ(TextOf(tree, ItemAt(tree, 1, 0)), "C:\\QOR7\\midas.dll");
    EXPECT_TRUE(IsWindowVisible(tree));

    // Aligned to the client area, also after the form has grown.
    RECT box;
    GetWindowRect(tree, &box);
    EXPECT_EQ(box.right - box.left, 300);
    EXPECT_EQ(box.bottom - box.top, 200);
    form.ClientWidth = 420;
    EXPECT_TRUE(LoopUntil([&] { return GetWindowRect(tree, &box) && box.right - box.left == 420; }));
    EXPECT_EQ(form.Tree.Width, 420);

    // A new list of nodes replaces the old one.
    form.Tree.Items.pop_back();
    form.Tree.Items[0]->Add("C:\\QOR7\\dbrtl50.bpl");
    EXPECT_TRUE(LoopUntil([&] { return SendMessageW(tree, TVM_GETCOUNT, 0, 0) == 4; }));
    EXPECT_EQ(TextOf(tree, ItemAt(tree, 0, 2)), "C:\\QOR7\\dbrtl50.bpl");
    EXPECT_FALSE(TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)));
}

TEST_F(Win32TreeViewTest, SelectionGoesBothWays) {
    form.Tree.Selected = form.Node(1, 0);
    EXPECT_TRUE(LoopUntil([&] { return TextOf(tree, TreeView_GetSelection(tree)) == "C:\\QOR7\\midas.dll"; }));

    // The user clicks another node: the model hears of it.
    PostClick(tree, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, CentreOf(tree, ItemAt(tree, 0, 1)));
    EXPECT_TRUE(LoopUntil([&] { return form.Tree.Selected == form.Node(0, 1); }));
    EXPECT_EQ(TextOf(tree, TreeView_GetSelection(tree)), "C:\\QOR7\\rtl50.bpl");
}

TEST_F(Win32TreeViewTest, RightClickSelectsTheNodeUnderTheMouseAndRunsTheChosenCommand) {
    const DWORD uiThread = GetCurrentThreadId();
    bool menuSeen = false;
    std::thread keys = testing_support::PressKeysInNextMenu(uiThread, {VK_DOWN, VK_DOWN, VK_RETURN}, &menuSeen);
    PostClick(tree, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, CentreOf(tree, ItemAt(tree, 1, 0)));
    LoopUntil([&] { return !form.chosen.empty(); });
    keys.join();
    EXPECT_TRUE(menuSeen) << "a popup menu opened";
    EXPECT_EQ(form.Tree.Selected, form.Node(1, 0)) << "the node under the mouse is selected first";
    EXPECT_EQ(form.chosen, std::vector<int>{2}) << "the second item, chosen with the keyboard";
}

TEST_F(Win32TreeViewTest, AFormWithKeyPreviewSeesKeysTypedIntoItsControl) {
    std::string seen;
    form.OnKeyPress = [&](char& key) { seen += key; };
    SetFocus(tree);
    PostKey(tree, 'A', 0x1E);
    application.GetBackend().Check();
    EXPECT_EQ(seen, "") << "without key preview the control keeps its keys";

    form.KeyPreview = true;
    PostKey(tree, 'A', 0x1E);
    PostKey(tree, VK_ESCAPE, 0x01);
    EXPECT_TRUE(LoopUntil([&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen, "a\x1B");
}

}  // namespace

#endif  // _WIN32
