// The toolkit's tree for a TTreeView model: nodes and selection follow the model, a selection made
// by the user goes back into TTreeView::Selected, and a right click selects the node under the
// mouse and opens the view's popup menu.
#pragma once

#include <FL/Fl_Tree.H>
#undef KeyPress  // X11 names that clash with ours (Application::KeyPress, BorderStyle::None)
#undef None

#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"

namespace ui {

class TreeWidget : public Fl_Tree {
public:
    explicit TreeWidget(TTreeView& model);
    TTreeView* Model() const { return model_; }
    void Detach() { model_ = nullptr; }  // the form is gone; the widget waits for deletion

    // Geometry, visibility, nodes and selection from the model; rebuilds only what changed.
    void Sync();
    int handle(int event) override;

private:
    using Shape = std::vector<std::pair<const TTreeNode*, std::string>>;
    static Shape ShapeOf(const TTreeView& model);
    void Rebuild();
    void AddNodes(Fl_Tree_Item* parent, const std::vector<std::unique_ptr<TTreeNode>>& nodes);
    void SyncSelection();
    void OpenPopupMenu();
    static void OnTreeCallback(Fl_Widget* widget, void*);

    TTreeView* model_;
    Shape built_;
    const TTreeNode* shownSelection_ = nullptr;
};

}  // namespace ui
