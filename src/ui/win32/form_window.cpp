#include "ui/win32/form_window.h"

#include "platform/win32/wide_text.h"
#include "ui/win32/form_painter.h"

#include <utility>

namespace ui::win32 {

namespace {

constexpr wchar_t kClassName[] = L"AtualizaForm";
// Posted to a form's window: a chosen menu command is due.
constexpr UINT kRunCommand = WM_APP + 1;

// Child controls paint themselves: the form's painting leaves their place alone.
DWORD StyleOf(const TForm& form) {
    return (form.Border == BorderStyle::None ? WS_POPUP : WS_OVERLAPPEDWINDOW) | WS_CLIPCHILDREN;
}

// The program's own icon, else the system's application icon.
HICON ProgramIcon() {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    return icon ? icon : LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */);
}

// The outer rectangle of a window whose client area is the form's.
RECT OuterRect(const TForm& form) {
    RECT outer{form.Left, form.Top, form.Left + form.ClientWidth, form.Top + form.ClientHeight};
    if (form.Border != BorderStyle::None) {
        AdjustWindowRectEx(&outer, StyleOf(form), FALSE, 0);
        OffsetRect(&outer, form.Left - outer.left, form.Top - outer.top);  // Left and Top are the outer corner
    }
    return outer;
}

}  // namespace

void FormWindow::RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = ProgramIcon();
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

FormWindow::FormWindow(TForm& form, FontCache& fonts) : form_(form), fonts_(fonts) {
    RegisterClassOnce();
    const RECT outer = OuterRect(form);
    window_ = CreateWindowExW(0, kClassName, platform::win32::toWide(form.Caption).c_str(), StyleOf(form),
                              outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
    applied_ = {form.Left, form.Top, form.ClientWidth, form.ClientHeight};
    if (!window_) return;
    form.NativeHandle = window_;
    CreateChildControls();
}

void FormWindow::CreateChildControls() {
    form_.AlignControls();
    for (TControl* control : form_.Controls()) {
        auto* model = dynamic_cast<TTreeView*>(control);
        if (!model) continue;
        auto tree = std::make_unique<TreeControl>(*model, window_, fonts_.Get(form_.FormFont),
                                                  [this](std::function<void()> command) { RunLater(std::move(command)); });
        if (tree->Valid()) trees_.push_back(std::move(tree));
    }
}

FormWindow::~FormWindow() {
    if (!window_) return;
    trees_.clear();  // before their parent: each one undoes its own hook first
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);  // no message reaches this object any more
    DestroyWindow(window_);
    if (form_.NativeHandle == window_) form_.NativeHandle = nullptr;
}

void FormWindow::Show() {
    FollowModel();
    ShowWindow(window_, SW_SHOW);
    Repaint();
}

void FormWindow::Hide() { ShowWindow(window_, SW_HIDE); }

void FormWindow::FollowModel() {
    const RECT wanted{form_.Left, form_.Top, form_.ClientWidth, form_.ClientHeight};
    if (!EqualRect(&wanted, &applied_)) {
        applied_ = wanted;
        const RECT outer = OuterRect(form_);
        SetWindowPos(window_, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SyncChildControls();
}

void FormWindow::SyncChildControls() {
    if (trees_.empty()) return;
    form_.AlignControls();
    for (const auto& tree : trees_) tree->Sync();
}

void FormWindow::RunLater(std::function<void()> command) {
    pending_ = std::move(command);
    PostMessageW(window_, kRunCommand, 0, 0);
}

void FormWindow::RunPendingCommand() {
    std::function<void()> command = std::exchange(pending_, nullptr);
    // Nothing of this object may be touched afterwards: the command may close the form.
    if (command) command();
}

void FormWindow::Repaint() {
    FollowModel();
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

Picture FormWindow::Capture() const {
    Picture picture;
    if (!buffer_.Pixels()) return picture;
    GdiFlush();
    picture.width = buffer_.Width();
    picture.height = buffer_.Height();
    picture.pixels.assign(buffer_.Pixels(), buffer_.Pixels() + static_cast<size_t>(picture.width) * picture.height);
    for (uint32_t& pixel : picture.pixels) pixel |= 0xFF000000;  // the screen is opaque
    return picture;
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (!self->window_) self->window_ = window;  // messages sent while CreateWindowExW still runs
    return self->Handle(message, wParam, lParam);
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the painting covers every pixel; erasing first would flicker
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CLOSE:
            // The application decides; the window is never destroyed behind the model's back.
            // Nothing of this object may be touched afterwards: the request may destroy it.
            if (Application* application = CurrentApplication()) application->RequestClose(form_);
            return 0;
        case WM_CHAR:
            if (wParam < 0x100) {
                char key = static_cast<char>(wParam);
                if (Application* application = CurrentApplication()) application->KeyPress(form_, key);
            }
            return 0;
        case WM_EXITSIZEMOVE:
            TakeNewGeometry();
            SyncChildControls();
            break;
        case WM_SIZE:
            // Only what the user did: the window system also reports our own moves, late. A
            // restore after a maximise is the user's too: the model must not keep the large size.
            if (wParam == SIZE_MAXIMIZED || (wParam == SIZE_RESTORED && maximized_)) TakeNewGeometry();
            if (wParam != SIZE_MINIMIZED) maximized_ = wParam == SIZE_MAXIMIZED;
            // Aligned controls follow the frame while it is dragged, before the model hears of it.
            for (const auto& tree : trees_) tree->FitParent(LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_SETFOCUS:
            // The form's first control takes the keys, as a dialog gives its first control the focus.
            for (const auto& tree : trees_)
                if (IsWindowVisible(tree->Window())) {
                    SetFocus(tree->Window());
                    return 0;
                }
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            for (const auto& tree : trees_)
                if (tree->Notify(*header, result)) return result;
            break;
        }
        case kRunCommand:
            RunPendingCommand();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// The user moved, sized or maximised a framed window: the model follows the window.
void FormWindow::TakeNewGeometry() {
    if (IsIconic(window_)) return;
    RECT outer, client;
    if (!GetWindowRect(window_, &outer) || !GetClientRect(window_, &client)) return;
    form_.Left = outer.left;
    form_.Top = outer.top;
    form_.ClientWidth = client.right;
    form_.ClientHeight = client.bottom;
    applied_ = {form_.Left, form_.Top, form_.ClientWidth, form_.ClientHeight};
}

void FormWindow::Paint() {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    if (screen && buffer_.Resize(screen, client.right, client.bottom)) {
        PaintForm(form_, buffer_, fonts_);
        BitBlt(screen, 0, 0, client.right, client.bottom, buffer_.Dc(), 0, 0, SRCCOPY);
    }
    EndPaint(window_, &paint);
}

}  // namespace ui::win32
