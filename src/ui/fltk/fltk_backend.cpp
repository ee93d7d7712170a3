#include "ui/fltk/fltk_backend.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#undef KeyPress  // X11 names that clash with ours (Application::KeyPress, BorderStyle::None)
#undef None

#include <unistd.h>

#include <vector>

#include "ui/fltk/form_window.h"
#include "ui/fltk/message_box.h"

namespace ui {

namespace {

// Letting events run costs a system call: once per few milliseconds is enough for a live window.
constexpr double kCheckSeconds = 0.004;

FormWindow* WindowOf(const TForm& form) { return static_cast<FormWindow*>(form.NativeHandle); }

// The program's own name (its file name up to the first dot): a taskbar groups our windows under it.
std::string ProgramName() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "AtualizaTerminalQOR7";
    std::string name(path, static_cast<size_t>(length));
    name = name.substr(name.find_last_of('/') + 1);
    return name.substr(0, name.find('.'));
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

class FltkBackend : public Backend {
public:
    FltkBackend() : previousDispatch_(Fl::event_dispatch()), programName_(ProgramName()) {
        Fl::event_dispatch(DispatchEvent);
        // Every window of ours, boxes included, is of the program's class, not the toolkit's.
        Fl_Window::default_xclass(programName_.c_str());
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

    Answer MessageBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout) override {
        DiscardPendingInput();
        return ShowFltkBox(kind, title, text, layout, TopWindow());
    }

    void PaintNow() override {
        PaintStale();
        Fl::flush();
        if (fl_display) XSync(fl_display, False);  // drawn by the server, not just sent to it
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
    // The window a box belongs to: the newest one shown (a modal form, else the main one).
    Fl_Window* TopWindow() const {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            if ((*it)->Form() && (*it)->shown() && (*it)->visible()) return *it;
        return nullptr;
    }

    void PaintStale() {
        for (FormWindow* window : windows_) window->RepaintIfStale();
    }

    Fl_Event_Dispatch previousDispatch_;
    std::string programName_;  // the toolkit keeps the pointer given as window class
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
