// The system's tree-view control for a TTreeView model: nodes, indent, place and selection follow
// the model, a selection made by the user goes back into TTreeView::Selected, and a right click
// selects the node under the mouse and opens the view's popup menu.
#pragma once

#include "ui/win32/win32_api.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ui::win32 {

class TreeControl {
public:
    // Runs a chosen menu command once the message that chose it is over (it may close the form).
    using RunLater = std::function<void(std::function<void()>)>;

    TreeControl(TTreeView& model, HWND parent, HFONT font, RunLater runLater);  // see Valid()
    ~TreeControl();
    TreeControl(const TreeControl&) = delete;
    TreeControl& operator=(const TreeControl&) = delete;

    bool Valid() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    const TTreeView& Model() const { return model_; }

    // Place, visibility, indent, nodes and selection from the model; rebuilds only what changed.
    void Sync();
    // The parent's client area changed size: an aligned view fills it at once.
    void FitParent(int width, int height);
    // A notification from the control to its parent; true when it was ours to answer.
    bool Notify(const NMHDR& header, LRESULT& result);

private:
    using Shape = std::vector<std::pair<const TTreeNode*, std::string>>;
    static Shape ShapeOf(const TTreeView& model);
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Rebuild();
    void AddNodes(HTREEITEM parent, const std::vector<std::unique_ptr<TTreeNode>>& nodes);
    void SyncSelection();
    void RightClicked();

    TTreeView& model_;
    RunLater runLater_;
    HWND window_ = nullptr;
    WNDPROC original_ = nullptr;
    Shape built_;
    const TTreeNode* shownSelection_ = nullptr;
    int shownIndent_ = -1;
    bool syncing_ = false;         // our own changes notify too: they are not the user's
    POINT rightClick_{-1, -1};     // where the last right button went down, in the view's pixels
};

}  // namespace ui::win32
