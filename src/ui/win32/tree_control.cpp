#include "ui/win32/tree_control.h"

#include "platform/win32/wide_text.h"

#include <algorithm>

namespace ui::win32 {

namespace {

TTreeNode* NodeOf(HWND tree, HTREEITEM item) {
    if (!item) return nullptr;
    TVITEMW data{};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return nullptr;
    return reinterpret_cast<TTreeNode*>(data.lParam);
}

// The item after `item` in display order, children first, over every level.
HTREEITEM NextItem(HWND tree, HTREEITEM item) {
    if (HTREEITEM child = TreeView_GetChild(tree, item)) return child;
    for (; item; item = TreeView_GetParent(tree, item))
        if (HTREEITEM sibling = TreeView_GetNextSibling(tree, item)) return sibling;
    return nullptr;
}

void AppendShape(const std::vector<std::unique_ptr<TTreeNode>>& nodes,
                 std::vector<std::pair<const TTreeNode*, std::string>>& shape) {
    for (const auto& node : nodes) {
        shape.emplace_back(node.get(), node->Text);
        AppendShape(node->Children, shape);
        shape.emplace_back(nullptr, std::string());  // end of its children
    }
}

void RegisterControlsOnce() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_TREEVIEW_CLASSES};
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)registered;
}

}  // namespace

TreeControl::TreeControl(TTreeView& model, HWND parent, HFONT font, RunLater runLater)
    : model_(model), runLater_(std::move(runLater)) {
    RegisterControlsOnce();
    const DWORD style = WS_CHILD | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, model.Left, model.Top,
                              std::max(model.Width, 1), std::max(model.Height, 1), parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return;
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeControl::Subclass)));
    Sync();
}

TreeControl::~TreeControl() {
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

LRESULT CALLBACK TreeControl::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TreeControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    // The control reports a right click without its place: the node under it is found from here.
    if (message == WM_RBUTTONDOWN) self->rightClick_ = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return CallWindowProcW(self->original_, window, message, wParam, lParam);
}

TreeControl::Shape TreeControl::ShapeOf(const TTreeView& model) {
    Shape shape;
    AppendShape(model.Items, shape);
    return shape;
}

void TreeControl::Sync() {
    RECT place;
    GetWindowRect(window_, &place);
    MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&place), 2);
    const int width = std::max(model_.Width, 1), height = std::max(model_.Height, 1);
    if (place.left != model_.Left || place.top != model_.Top || place.right - place.left != width ||
        place.bottom - place.top != height)
        MoveWindow(window_, model_.Left, model_.Top, width, height, TRUE);
    if (model_.Visible != (IsWindowVisible(window_) != FALSE)) ShowWindow(window_, model_.Visible ? SW_SHOWNA : SW_HIDE);
    if (model_.Indent != shownIndent_) {
        shownIndent_ = model_.Indent;
        SendMessageW(window_, TVM_SETINDENT, static_cast<WPARAM>(std::max(model_.Indent, 0)), 0);
    }
    Shape shape = ShapeOf(model_);
    if (shape != built_) {
        built_ = std::move(shape);
        Rebuild();
    }
    SyncSelection();
}

void TreeControl::FitParent(int width, int height) {
    if (model_.Align == TAlign::alClient) MoveWindow(window_, 0, 0, width, height, TRUE);
}

void TreeControl::Rebuild() {
    syncing_ = true;
    SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(window_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    shownSelection_ = nullptr;
    AddNodes(TVI_ROOT, model_.Items);
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
    syncing_ = false;
}

void TreeControl::AddNodes(HTREEITEM parent, const std::vector<std::unique_ptr<TTreeNode>>& nodes) {
    for (const auto& node : nodes) {
        std::wstring text = platform::win32::toWide(node->Text);
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = text.data();
        insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(window_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!item) continue;
        AddNodes(item, node->Children);
        // Open, as the toolkit tree on Linux shows it: every path at a glance.
        if (!node->Children.empty()) SendMessageW(window_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    }
}

void TreeControl::SyncSelection() {
    if (model_.Selected == shownSelection_) return;
    shownSelection_ = model_.Selected;
    HTREEITEM wanted = nullptr;
    for (HTREEITEM item = TreeView_GetRoot(window_); item && model_.Selected; item = NextItem(window_, item))
        if (NodeOf(window_, item) == model_.Selected) {
            wanted = item;
            break;
        }
    syncing_ = true;
    SendMessageW(window_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(wanted));
    syncing_ = false;
}

bool TreeControl::Notify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != window_) return false;
    if (header.code == TVN_SELCHANGEDW) {
        if (!syncing_) {
            const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
            model_.Selected = NodeOf(window_, change.itemNew.hItem);
            shownSelection_ = model_.Selected;
        }
        result = 0;
        return true;
    }
    if (header.code == NM_RCLICK) {
        RightClicked();
        result = 1;  // handled: no context-menu message follows
        return true;
    }
    return false;
}

void TreeControl::RightClicked() {
    TVHITTESTINFO hit{};
    hit.pt = rightClick_;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(window_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item && (hit.flags & TVHT_ONITEM)) SendMessageW(window_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (!model_.PopupMenu || model_.PopupMenu->Items.empty()) return;
    const std::vector<TMenuItem>& items = model_.PopupMenu->Items;
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (size_t i = 0; i < items.size(); ++i)
        AppendMenuW(menu, MF_STRING, i + 1, platform::win32::toWide(items[i].Caption).c_str());
    POINT screen = rightClick_;
    ClientToScreen(window_, &screen);
    const auto chosen = static_cast<size_t>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                           screen.x, screen.y, 0, GetParent(window_), nullptr));
    DestroyMenu(menu);
    if (chosen == 0 || chosen > items.size() || !items[chosen - 1].OnClick) return;
    runLater_(items[chosen - 1].OnClick);  // a copy: the command may close the form and this view
}

}  // namespace ui::win32
