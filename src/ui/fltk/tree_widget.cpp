#include "ui/fltk/tree_widget.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#undef KeyPress
#undef None

#include <algorithm>
#include <functional>

namespace ui {

namespace {

TTreeNode* NodeOf(Fl_Tree_Item* item) { return item ? static_cast<TTreeNode*>(item->user_data()) : nullptr; }

void AppendShape(const std::vector<std::unique_ptr<TTreeNode>>& nodes, std::vector<std::pair<const TTreeNode*, std::string>>& shape) {
    for (const auto& node : nodes) {
        shape.emplace_back(node.get(), node->Text);
        AppendShape(node->Children, shape);
        shape.emplace_back(nullptr, std::string());  // end of its children
    }
}

}  // namespace

TreeWidget::TreeWidget(TTreeView& model)
    : Fl_Tree(model.Left, model.Top, std::max(model.Width, 1), std::max(model.Height, 1)), model_(&model) {
    showroot(0);
    selectmode(FL_TREE_SELECT_SINGLE);
    box(FL_DOWN_BOX);
    color(FL_WHITE);
    item_labelfont(FL_HELVETICA);
    item_labelsize(11);
    connectorwidth(model.Indent);
    callback(OnTreeCallback);
    when(FL_WHEN_CHANGED);
    Sync();
}

TreeWidget::Shape TreeWidget::ShapeOf(const TTreeView& model) {
    Shape shape;
    AppendShape(model.Items, shape);
    return shape;
}

void TreeWidget::Sync() {
    if (!model_) return;
    const int width = std::max(model_->Width, 1), height = std::max(model_->Height, 1);
    if (x() != model_->Left || y() != model_->Top || w() != width || h() != height)
        resize(model_->Left, model_->Top, width, height);
    if (model_->Visible != (visible() != 0)) model_->Visible ? show() : hide();
    Shape shape = ShapeOf(*model_);
    if (shape != built_) {
        built_ = std::move(shape);
        Rebuild();
    }
    SyncSelection();
}

void TreeWidget::Rebuild() {
    clear_children(root());  // clear() would delete the hidden root item too
    shownSelection_ = nullptr;
    AddNodes(root(), model_->Items);
    redraw();
}

void TreeWidget::AddNodes(Fl_Tree_Item* parent, const std::vector<std::unique_ptr<TTreeNode>>& nodes) {
    for (const auto& node : nodes) {
        // By parent item, not by path: a node's text holds separators of its own.
        Fl_Tree_Item* item = add(parent, node->Text.c_str());
        if (!item) continue;
        item->user_data(node.get());
        AddNodes(item, node->Children);
    }
}

void TreeWidget::SyncSelection() {
    if (model_->Selected == shownSelection_) return;
    shownSelection_ = model_->Selected;
    for (Fl_Tree_Item* item = first(); item; item = next(item)) {
        if (NodeOf(item) != model_->Selected) continue;
        select_only(item, 0);
        return;
    }
    deselect_all(nullptr, 0);
}

void TreeWidget::OnTreeCallback(Fl_Widget* widget, void*) {
    auto* tree = static_cast<TreeWidget*>(widget);
    if (!tree->model_) return;
    TTreeNode* node = NodeOf(tree->callback_item());
    switch (tree->callback_reason()) {
        case FL_TREE_REASON_SELECTED:
            tree->model_->Selected = node;
            break;
        case FL_TREE_REASON_DESELECTED:
            if (tree->model_->Selected == node) tree->model_->Selected = nullptr;
            break;
        default:
            return;
    }
    tree->shownSelection_ = tree->model_->Selected;
}

int TreeWidget::handle(int event) {
    if (event == FL_PUSH && Fl::event_button() == FL_RIGHT_MOUSE && model_) {
        take_focus();
        if (Fl_Tree_Item* item = find_clicked()) select_only(item, 1);
        OpenPopupMenu();
        return 1;
    }
    return Fl_Tree::handle(event);
}

void TreeWidget::OpenPopupMenu() {
    if (!model_->PopupMenu || model_->PopupMenu->Items.empty()) return;
    const TPopupMenu& menu = *model_->PopupMenu;
    std::vector<Fl_Menu_Item> items(menu.Items.size() + 1, Fl_Menu_Item{});
    for (size_t i = 0; i < menu.Items.size(); ++i) {
        items[i].text = menu.Items[i].Caption.c_str();
        items[i].labelsize_ = 11;
    }
    const Fl_Menu_Item* chosen = items[0].popup(Fl::event_x(), Fl::event_y());
    if (!chosen) return;
    // A copy: the command may close the form, and this widget's model with it.
    std::function<void()> command = menu.Items[static_cast<size_t>(chosen - items.data())].OnClick;
    if (command) command();
}

}  // namespace ui
