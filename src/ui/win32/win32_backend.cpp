#include "ui/win32/win32_backend.h"

#include "platform/win32/wide_text.h"
#include "ui/win32/form_window.h"
#include "ui/win32/message_box.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace ui {

namespace {

using win32::FormWindow;
using Clock = std::chrono::steady_clock;

// A copy asks for a repaint after every block; the screen needs no more than this.
constexpr auto kRepaintInterval = std::chrono::microseconds(1'000'000 / 60);

// Keys and clicks that came before a box (Escape while the last block of a large file was
// written) must not answer it before the user has seen it.
void DiscardPendingInput() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

// The application's own hidden top-level window: owner of what the shell shows for us.
HWND CreateApplicationWindow() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"AtualizaApplication";
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"AtualizaApplication", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The visible, enabled top-level windows of this thread, but one.
std::vector<HWND> EnabledWindowsBut(HWND except) {
    struct Search {
        HWND except;
        std::vector<HWND> found;
    } search{except, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (window != s->except && IsWindowVisible(window) && IsWindowEnabled(window)) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class Win32Backend : public Backend {
public:
    ~Win32Backend() override {
        while (!modal_.empty()) EndModal(modal_.back().form);
        windows_.clear();
        if (applicationWindow_) DestroyWindow(applicationWindow_);
    }

    std::string Name() const override { return "win32"; }

    void ShowForm(TForm& form) override {
        FormWindow* window = WindowOf(form, true);
        if (!window) return;
        dirty_.erase(&form);
        window->Show();
        lastPaint_ = Clock::now();
    }

    void HideForm(TForm& form) override {
        EndModal(&form);  // first: the window that takes over the activation must be enabled
        if (FormWindow* window = WindowOf(form, false)) window->Hide();
        dirty_.erase(&form);
    }

    void DestroyForm(TForm& form) override {
        EndModal(&form);
        dirty_.erase(&form);
        windows_.erase(&form);  // the window goes with its owner
        form.NativeHandle = nullptr;
    }

    void Refresh(TForm& form) override {
        if (!WindowOf(form, false)) return;
        dirty_.insert(&form);
        RepaintWhenDue();
    }

    void Wait(double seconds) override {
        const double limit = dirty_.empty() ? seconds : std::min(seconds, SecondsToRepaint());
        const double milliseconds = std::clamp(std::ceil(limit * 1000.0), 0.0, 24.0 * 3600 * 1000);
        const DWORD woken = MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds),
                                                        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        Check();
        // The wait was cut short for a pending repaint: it is due now, whatever the clock's grain.
        if (woken == WAIT_TIMEOUT && !dirty_.empty()) RepaintNow();
    }

    void Check() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;  // the application ends its loop itself
            if (message.message == WM_CHAR && PreviewKey(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        RepaintWhenDue();
    }

    // Our own box: placed above the splash, a report's columns in a fixed-width font.
    Answer MessageBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout) override {
        DiscardPendingInput();
        return win32::ShowBox(kind, title, text, layout, BoxOwner());
    }

    void PaintNow() override {
        if (!dirty_.empty()) RepaintNow();
        GdiFlush();
    }

    std::optional<platform::Rect> WorkArea() override {
        RECT area;
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return std::nullopt;
        return platform::Rect{area.left, area.top, area.right, area.bottom};
    }

    ScreenSize Screen() override { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

    void SetArrowCursor() override { SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */)); }

    void* ApplicationHandle() override {
        if (!applicationWindow_) applicationWindow_ = CreateApplicationWindow();
        return applicationWindow_;
    }

    void ModalBegins(TForm& form) override {
        FormWindow* window = WindowOf(form, false);
        if (!window) return;
        ModalSession session{&form, EnabledWindowsBut(window->Window())};
        for (HWND other : session.disabled) EnableWindow(other, FALSE);
        modal_.push_back(std::move(session));
    }

    void ModalEnds(TForm& form) override { EndModal(&form); }

    Picture Capture(TForm& form) {
        FormWindow* window = WindowOf(form, false);
        if (!window) return {};
        window->Repaint();
        return window->Capture();
    }

private:
    struct ModalSession {
        const TForm* form;
        std::vector<HWND> disabled;  // what this session disabled, and so gives back
    };

    void EndModal(const TForm* form) {
        auto session = std::find_if(modal_.begin(), modal_.end(), [&](const ModalSession& s) { return s.form == form; });
        if (session == modal_.end()) return;
        for (HWND other : session->disabled)
            if (IsWindow(other)) EnableWindow(other, TRUE);
        modal_.erase(session);
    }

    // Key preview: a form with KeyPreview sees a key typed into one of its controls before the
    // control does. True when the key is used up (the form closed, or its handler cleared it).
    bool PreviewKey(MSG& message) {
        if (message.wParam >= 0x100) return false;
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (!root || root == message.hwnd) return false;  // the form's own window hands on its keys itself
        TForm* form = FormOfWindow(root);
        Application* application = CurrentApplication();
        if (!form || !form->KeyPreview || !application) return false;
        char key = static_cast<char>(message.wParam);
        application->KeyPress(*form, key);
        if (!application->Alive(*form) || key == 0) return true;
        message.wParam = static_cast<unsigned char>(key);
        return false;
    }

    // The window a box belongs to: the active one, else the form shown modally, else any shown.
    HWND BoxOwner() const {
        if (HWND active = GetActiveWindow(); active && IsWindowVisible(active)) return active;
        if (!modal_.empty())
            if (auto found = windows_.find(const_cast<TForm*>(modal_.back().form)); found != windows_.end())
                return found->second->Window();
        for (const auto& [form, window] : windows_)
            if (IsWindowVisible(window->Window())) return window->Window();
        return nullptr;
    }

    TForm* FormOfWindow(HWND window) const {
        for (const auto& [form, formWindow] : windows_)
            if (formWindow->Window() == window) return form;
        return nullptr;
    }

    FormWindow* WindowOf(TForm& form, bool create) {
        if (auto found = windows_.find(&form); found != windows_.end()) return found->second.get();
        if (!create) return nullptr;
        auto window = std::make_unique<FormWindow>(form, fonts_);
        if (!window->Valid()) return nullptr;
        return windows_.emplace(&form, std::move(window)).first->second.get();
    }

    double SecondsToRepaint() const {
        const auto left = lastPaint_ + kRepaintInterval - Clock::now();
        return std::max(0.0, std::chrono::duration<double>(left).count());
    }

    void RepaintWhenDue() {
        if (dirty_.empty() || Clock::now() - lastPaint_ < kRepaintInterval) return;
        RepaintNow();
    }

    void RepaintNow() {
        // Painting may run handlers that change the set: take it first.
        const std::set<TForm*> forms = std::exchange(dirty_, {});
        for (TForm* form : forms)
            if (FormWindow* window = WindowOf(*form, false)) window->Repaint();
        lastPaint_ = Clock::now();
    }

    win32::FontCache fonts_;  // declared first: the windows that use it go before it
    std::map<TForm*, std::unique_ptr<FormWindow>> windows_;
    std::set<TForm*> dirty_;
    Clock::time_point lastPaint_{};
    std::vector<ModalSession> modal_;
    HWND applicationWindow_ = nullptr;
};

Win32Backend* activeBackend = nullptr;

}  // namespace

std::unique_ptr<Backend> MakeWin32Backend() {
    auto backend = std::make_unique<Win32Backend>();
    activeBackend = backend.get();
    return backend;
}

Picture CaptureWin32FormPixels(TForm& form) {
    Application* application = CurrentApplication();
    if (!application || !activeBackend || &application->GetBackend() != activeBackend) return {};
    return activeBackend->Capture(form);
}

}  // namespace ui
