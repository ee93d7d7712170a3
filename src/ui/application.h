// The application object of our toolkit facade: forms, the message loop, timers, the four modal
// boxes and ProcessMessages. The work is delegated to one Backend chosen at start-up.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/controls.h"

namespace ui {

// Warning: a report of something the user must pass on (files that stayed old).
enum class BoxKind { Information, Warning, Error, Confirmation, Plain };
enum class Answer { OK, Yes, No };
// Columns: the text lines up in columns padded with blanks (the report), so a backend that can
// shows it in a fixed-width font; the text itself stays as it is.
enum class BoxLayout { Prose, Columns };

struct ScreenSize {
    int width = 0, height = 0;
};

// What a backend does for the application. Implementations: headless, FLTK, Win32.
class Backend {
public:
    virtual ~Backend() = default;
    virtual std::string Name() const = 0;
    virtual void ShowForm(TForm& form) = 0;     // creates its window when needed
    virtual void HideForm(TForm& form) = 0;
    virtual void DestroyForm(TForm& form) = 0;  // its window is gone afterwards
    // A form destroyed through the application, its controls still alive (a form that just goes
    // out of scope goes straight to DestroyForm, its controls already gone).
    virtual void FormEnding(TForm& form) { (void)form; }
    virtual void Refresh(TForm& form) = 0;      // the model changed: repaint (may be throttled)
    virtual void Wait(double seconds) = 0;      // handle events, blocking at most this long
    virtual void Check() = 0;                   // handle pending events without blocking
    // The application has painted every pending change first.
    virtual Answer MessageBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout) = 0;
    // Paints every change the forms were refreshed with, whatever the repaint throttle, and hands
    // it to the display before returning: the caller is about to block.
    virtual void PaintNow() {}
    virtual std::optional<platform::Rect> WorkArea() = 0;
    virtual ScreenSize Screen() = 0;
    virtual void SetArrowCursor() {}
    // A form is shown modally: the application's other windows take no input until it ends.
    virtual void ModalBegins(TForm& form) { (void)form; }
    virtual void ModalEnds(TForm& form) { (void)form; }
    // The toolkit's own top-level application window (not a form's), when it has one.
    virtual void* ApplicationHandle() { return nullptr; }
    // False when nobody can answer a window: a form that waits for a person closes at once.
    virtual bool Interactive() const { return true; }
    // Close requests from the window system arrive through Application::RequestClose.
};

// Picks the backend: ATUALIZA_UI=headless or gui; unset means a window when a display opens.
std::unique_ptr<Backend> MakeBackend();
std::unique_ptr<Backend> MakeHeadlessBackend();

class Application {
public:
    explicit Application(std::unique_ptr<Backend> backend);
    ~Application();

    void Initialize() {}
    // The first form created while there is no main form becomes the main form.
    void CreateForm(TForm& form);
    void Run();  // shows the main form and loops until Terminate or the main form is gone
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Repaints at most about 60 times a second: cheap enough after every copied block.
    void ProcessMessages();
    // Puts every change made so far on the screen at once. For the moment before the caller blocks
    // (a launch, a fallback copy, a wait on the share): what the window shows while it waits must
    // be what it waits for, not the last throttled frame.
    void PaintPending();
    void ShowModal(TForm& form);  // returns when the form has been closed

    // A close request (close button, Alt+F4, Escape): asks OnClose, then acts on its answer.
    void RequestClose(TForm& form);
    // Destroys the form once: OnDestroy, then its window. A destroyed main form ends Run.
    void DestroyForm(TForm& form);
    // Destroys every form still open, newest first, as the application does when it ends.
    void DestroyAllForms();
    // The form object is going away: its window goes, its handlers are not called.
    void Forget(TForm& form);
    void KeyPress(TForm& form, char& key);

    // Caption: Title. The forms' last state is on the screen behind the box.
    Answer MessageBox(BoxKind kind, const std::string& text, BoxLayout layout = BoxLayout::Prose);
    TForm* MainForm() const { return mainForm_; }
    void* MainWindowHandle() const { return mainForm_ ? mainForm_->NativeHandle : nullptr; }
    // The application's top-level window, owner of what the shell shows; null when there is none.
    void* Handle() { return backend_->ApplicationHandle(); }
    std::optional<platform::Rect> WorkArea() { return backend_->WorkArea(); }
    ScreenSize Screen() { return backend_->Screen(); }
    void SetArrowCursor() { backend_->SetArrowCursor(); }
    Backend& GetBackend() { return *backend_; }

    std::string Title;

    bool Alive(const TForm& form) const;

private:
    struct OpenForm {
        TForm* form;
        bool shown;
        bool modal;
    };
    OpenForm* Find(const TForm& form);
    const OpenForm* Find(const TForm& form) const;
    void Show(TForm& form, bool modal);
    void Hide(TForm& form);
    void RefreshShownForms();
    void FireDueTimers();
    double SecondsToNextTimer() const;
    // Without a person to answer: closes the form when no timer could still do something.
    void CloseWhenNothingScheduled(TForm& form);

    std::unique_ptr<Backend> backend_;
    std::vector<OpenForm> forms_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

// The process's application object, set while one exists.
Application* CurrentApplication();

// "AtualizaTerminalQOR7.exe" gives "Atualizaterminalqor7": the file name up to its first dot,
// first character as it stands, the rest lower case.
std::string ApplicationTitleFor(const std::string& executablePath);

}  // namespace ui
