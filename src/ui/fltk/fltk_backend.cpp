#include "ui/fltk/fltk_backend.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#undef KeyPress  // X11 names that clash with ours (Application::KeyPress, BorderStyle::None)
#undef None

#include <vector>

#include "ui/fltk/form_window.h"

namespace ui {

namespace {

// Letting events run costs a system call: once per few milliseconds is enough for a live window.
constexpr double kCheckSeconds = 0.004;

FormWindow* WindowOf(const TForm& form) { return static_cast<FormWindow*>(form.NativeHandle); }

std::string WithLineBreaks(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

// Set while the input that came before a message box is thrown away.
bool discardingInput = false;

bool IsInput(int event) {
    return event == FL_KEYBOARD || event == FL_KEYUP || event == FL_PUSH || event == FL_RELEASE ||
           event == FL_MOUSEWHEEL;
}

// Every event passes here first: keys go to a previewing form before its focused control.
int DispatchEvent(int event, Fl_Window* window) {
    if (discardingInput && IsInput(event)) return 1;
    if (event == FL_KEYBOARD && PreviewKey(window)) return 1;
    return Fl::handle_(event, window);
}

// A key pressed while the run worked (Escape during the flush of a large file) must not answer
// the box that comes next before the user has seen it: what the server has queued goes first.
void DiscardPendingInput() {
    if (!fl_display) return;
    XSync(fl_display, False);
    discardingInput = true;
    Fl::check();
    discardingInput = false;
}

// The boxes' buttons in the user's language, as a Portuguese Windows shows its own.
void TranslateBoxButtons() {
    fl_ok = "OK";
    fl_close = "OK";
    fl_cancel = "Cancelar";
    fl_yes = "Sim";
    fl_no = "Não";
}

class FltkBackend : public Backend {
public:
    FltkBackend() : previousDispatch_(Fl::event_dispatch()) {
        Fl::event_dispatch(DispatchEvent);
        TranslateBoxButtons();
    }
    ~FltkBackend() override {
        Fl::event_dispatch(previousDispatch_);
        for (FormWindow* window : windows_) delete window;
    }

    std::string Name() const override { return "fltk"; }

    void ShowForm(TForm& form) override {
        FormWindow* window = WindowOf(form);
        if (!window) {
            window = new FormWindow(form);
            windows_.push_back(window);
            form.NativeHandle = window;
        }
        window->SyncGeometry();
        window->show();
    }

    void HideForm(TForm& form) override {
        if (FormWindow* window = WindowOf(form)) window->hide();
    }

    void DestroyForm(TForm& form) override {
        FormWindow* window = WindowOf(form);
        form.NativeHandle = nullptr;
        if (!window) return;
        std::erase(windows_, window);
        window->Detach();
        window->hide();
        // Deferred: the request may come from inside this window's own callback.
        Fl::delete_widget(window);
    }

    void Refresh(TForm& form) override {
        FormWindow* window = WindowOf(form);
        if (!window) return;
        window->SyncGeometry();
        window->RequestRepaint(SteadySeconds());
    }

    void Wait(double seconds) override {
        PaintStale();
        Fl::wait(seconds);
        lastCheck_ = SteadySeconds();
    }

    void Check() override {
        const double now = SteadySeconds();
        if (now - lastCheck_ < kCheckSeconds) return;
        lastCheck_ = now;
        Fl::check();
    }

    Answer MessageBox(BoxKind kind, const std::string& title, const std::string& text) override {
        PaintStale();
        Fl::flush();
        DiscardPendingInput();
        fl_message_title(title.c_str());
        const std::string shown = WithLineBreaks(text);
        switch (kind) {
            case BoxKind::Information:
                fl_message("%s", shown.c_str());
                return Answer::OK;
            case BoxKind::Error:
                fl_alert("%s", shown.c_str());
                return Answer::OK;
            case BoxKind::Confirmation:
                return fl_choice("%s", fl_no, fl_yes, nullptr, shown.c_str()) == 1 ? Answer::Yes : Answer::No;
            case BoxKind::Plain:
                fl_message_icon()->hide();
                fl_message("%s", shown.c_str());
                fl_message_icon()->show();
                return Answer::OK;
        }
        return Answer::OK;
    }

    std::optional<platform::Rect> WorkArea() override {
        int x = 0, y = 0, w = 0, h = 0;
        Fl::screen_work_area(x, y, w, h, 0);
        if (w <= 0 || h <= 0) return std::nullopt;
        return platform::Rect{x, y, x + w, y + h};
    }

    ScreenSize Screen() override {
        fl_open_display();
        return {Fl::w(), Fl::h()};
    }

    void SetArrowCursor() override {
        for (FormWindow* window : windows_) window->cursor(FL_CURSOR_DEFAULT);
    }

private:
    void PaintStale() {
        for (FormWindow* window : windows_) window->RepaintIfStale();
    }

    Fl_Event_Dispatch previousDispatch_;
    std::vector<FormWindow*> windows_;
    double lastCheck_ = 0;
};

}  // namespace

bool FltkDisplayAvailable() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

std::unique_ptr<Backend> MakeFltkBackend() { return std::make_unique<FltkBackend>(); }

bool FocusControl(TForm& form, const TControl* control) {
    FormWindow* window = WindowOf(form);
    if (!window) return false;
    Fl_Widget* target = control ? window->WidgetOf(*control) : window;
    if (!target) return false;
    Fl::focus(target);
    return Fl::focus() == target;
}

unsigned long NativeWindowId(TForm& form) {
    FormWindow* window = WindowOf(form);
    return window && window->shown() ? static_cast<unsigned long>(fl_xid(window)) : 0;
}

Picture CaptureFormPixels(TForm& form) {
    FormWindow* window = WindowOf(form);
    if (!window || !window->shown()) return {};
    window->RepaintIfStale();
    Fl::flush();
    window->make_current();
    const int w = window->w(), h = window->h();
    uchar* data = fl_read_image(nullptr, 0, 0, w, h);
    if (!data) return {};
    Picture picture{w, h, {}};
    picture.pixels.reserve(static_cast<size_t>(w) * h);
    for (int i = 0; i < w * h; ++i)
        picture.pixels.push_back(0xFF000000u | data[3 * i] << 16 | data[3 * i + 1] << 8 | data[3 * i + 2]);
    delete[] data;
    return picture;
}

}  // namespace ui
