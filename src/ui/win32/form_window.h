// The native window of one form: created from the form's settings, kept at the form's position
// and size, painted from its model, and passing close requests and keys to the application.
#pragma once

#include "ui/win32/back_buffer.h"
#include "ui/win32/font_cache.h"

namespace ui::win32 {

class FormWindow {
public:
    FormWindow(TForm& form, FontCache& fonts);  // the window exists, hidden, afterwards
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    bool Valid() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    void Show();
    void Hide();
    void FollowModel();  // moves and sizes the window where the form's model says
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

    TForm& form_;
    FontCache& fonts_;
    BackBuffer buffer_;
    HWND window_ = nullptr;
    RECT applied_{};  // the form's Left, Top, ClientWidth and ClientHeight last given to the window
};

}  // namespace ui::win32
