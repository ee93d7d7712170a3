// The native window of one form: created from the form's settings, kept at the form's position
// and size, painted from its model, and passing close requests and keys to the application.
#pragma once

#include "ui/win32/back_buffer.h"
#include "ui/win32/font_cache.h"
#include "ui/win32/tree_control.h"

#include <functional>
#include <memory>
#include <vector>

namespace ui::win32 {

class FormWindow {
public:
    FormWindow(TForm& form, FontCache& fonts);  // the window exists, hidden, afterwards
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    bool Valid() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    TForm& Form() const { return form_; }
    void Show();
    void Hide();
    // Moves and sizes the window where the form's model says, and brings its child controls (the
    // tree views) up to date; cheap when nothing changed.
    void FollowModel();
    void Repaint();      // paints now, synchronously
    void Invalidate() { InvalidateRect(window_, nullptr, FALSE); }
    // What the back buffer holds: the pixels of the last painting.
    Picture Capture() const;

private:
    static void RegisterClassOnce();
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void TakeNewGeometry();
    void CreateChildControls();
    void SyncChildControls();
    // Posts a command to this window's own queue: it runs after the message that chose it.
    void RunLater(std::function<void()> command);
    void RunPendingCommand();

    TForm& form_;
    FontCache& fonts_;
    BackBuffer buffer_;
    HWND window_ = nullptr;
    RECT applied_{};  // the form's Left, Top, ClientWidth and ClientHeight last given to the window
    std::vector<std::unique_ptr<TreeControl>> trees_;
    std::function<void()> pending_;  // a menu command waiting for its posted message
    bool maximized_ = false;         // the user maximised the window: its restore is the user's too
};

}  // namespace ui::win32
