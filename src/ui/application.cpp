#include "ui/application.h"

#include <algorithm>

#include "platform/text.h"

namespace ui {

namespace {
Application* currentApplication = nullptr;
// Longest wait of the loop when no timer is due sooner; events end a wait early anyway.
constexpr double kIdleWait = 0.5;
}  // namespace

Application* CurrentApplication() { return currentApplication; }

Application::Application(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {
    currentApplication = this;
}

Application::~Application() {
    if (currentApplication == this) currentApplication = nullptr;
}

Application::OpenForm* Application::Find(const TForm& form) {
    auto it = std::find_if(forms_.begin(), forms_.end(), [&](const OpenForm& f) { return f.form == &form; });
    return it == forms_.end() ? nullptr : &*it;
}

const Application::OpenForm* Application::Find(const TForm& form) const {
    return const_cast<Application*>(this)->Find(form);
}

bool Application::Alive(const TForm& form) const { return Find(form) != nullptr; }

void Application::CreateForm(TForm& form) {
    if (!Find(form)) forms_.push_back({&form, false, false});
    if (!mainForm_) mainForm_ = &form;
}

void Application::Show(TForm& form, bool modal) {
    if (!Find(form)) forms_.push_back({&form, false, false});
    if (form.StartPosition == Position::ScreenCenter) {
        ScreenSize screen = backend_->Screen();
        form.Left = (screen.width - form.Width()) / 2;
        form.Top = (screen.height - form.Height()) / 2;
    }
    OpenForm* entry = Find(form);
    entry->shown = true;
    entry->modal = modal;
    // The show event comes before the window appears, so that it can still place the window
    // (or close it again).
    if (form.OnShow) form.OnShow();
    entry = Find(form);
    if (entry && entry->shown) backend_->ShowForm(form);
}

void Application::Hide(TForm& form) {
    OpenForm* entry = Find(form);
    if (!entry || !entry->shown) return;
    entry->shown = false;
    backend_->HideForm(form);  // harmless when the window was never shown
}

void Application::Run() {
    TForm* main = mainForm_;
    if (!main || terminated_) return;
    Show(*main, false);
    while (!terminated_ && mainForm_ == main) {
        if (!backend_->Interactive()) {
            CloseWhenNothingScheduled(*main);
            if (terminated_ || mainForm_ != main) break;
        }
        RefreshShownForms();
        backend_->Wait(SecondsToNextTimer());
        FireDueTimers();
    }
}

void Application::ShowModal(TForm& form) {
    Show(form, true);
    // The other windows come back on every way out, a handler's exception included.
    struct ModalSession {
        Backend& backend;
        TForm& form;
        ~ModalSession() { backend.ModalEnds(form); }
    } session{*backend_, form};
    backend_->ModalBegins(form);
    auto open = [&] {
        const OpenForm* entry = Find(form);
        return entry && entry->shown && !terminated_;
    };
    while (open()) {
        if (!backend_->Interactive()) {
            CloseWhenNothingScheduled(form);
            if (!open()) break;
        }
        RefreshShownForms();
        backend_->Wait(SecondsToNextTimer());
        FireDueTimers();
    }
    if (OpenForm* entry = Find(form)) entry->modal = false;
}

void Application::CloseWhenNothingScheduled(TForm& form) {
    const auto& timers = AllTimers();
    if (std::any_of(timers.begin(), timers.end(), [](const TTimer* t) { return t->Enabled(); })) return;
    RequestClose(form);
    const OpenForm* entry = Find(form);
    if (!entry || !entry->shown) return;
    // The form refused to close, and nothing scheduled could change its mind.
    if (&form == mainForm_) Terminate();
    else Hide(form);
}

void Application::RequestClose(TForm& form) {
    if (!Alive(form)) return;
    TCloseAction action = TCloseAction::caHide;
    if (form.OnClose) form.OnClose(action);
    if (!Alive(form)) return;
    switch (action) {
        case TCloseAction::caNone:
        case TCloseAction::caMinimize:
            return;
        case TCloseAction::caHide:
            Hide(form);
            if (&form == mainForm_) Terminate();  // a hidden main window would leave nothing to close
            return;
        case TCloseAction::caFree:
            DestroyForm(form);
            return;
    }
}

void Application::DestroyForm(TForm& form) {
    if (!Alive(form)) return;
    // Gone from the list first: whatever the destroy handler asks of it finds it destroyed.
    std::erase_if(forms_, [&](const OpenForm& f) { return f.form == &form; });
    if (mainForm_ == &form) mainForm_ = nullptr;
    if (form.OnDestroy) form.OnDestroy();
    backend_->FormEnding(form);
    backend_->DestroyForm(form);
}

void Application::DestroyAllForms() {
    while (!forms_.empty()) DestroyForm(*forms_.back().form);
}

void Application::Forget(TForm& form) {
    if (!Alive(form)) return;
    std::erase_if(forms_, [&](const OpenForm& f) { return f.form == &form; });
    if (mainForm_ == &form) mainForm_ = nullptr;
    backend_->DestroyForm(form);
}

void Application::KeyPress(TForm& form, char& key) {
    if (Alive(form) && form.OnKeyPress) form.OnKeyPress(key);
}

void Application::RefreshShownForms() {
    for (const OpenForm& entry : forms_)
        if (entry.shown) backend_->Refresh(*entry.form);
}

void Application::ProcessMessages() {
    RefreshShownForms();
    backend_->Check();
    FireDueTimers();
}

void Application::PaintPending() {
    RefreshShownForms();
    backend_->PaintNow();
}

void Application::FireDueTimers() {
    const auto& timers = AllTimers();
    const double now = SteadySeconds();
    // By index: a tick may create or destroy timers.
    for (size_t i = 0; i < timers.size(); ++i) {
        TTimer* timer = timers[i];
        if (timer->Enabled() && timer->DueAt() <= now) timer->Fire();
    }
}

double Application::SecondsToNextTimer() const {
    double wait = kIdleWait;
    const double now = SteadySeconds();
    for (const TTimer* timer : AllTimers())
        if (timer->Enabled()) wait = std::min(wait, timer->DueAt() - now);
    return std::max(wait, 0.0);
}

Answer Application::MessageBox(BoxKind kind, const std::string& text, BoxLayout layout) {
    PaintPending();
    return backend_->MessageBox(kind, Title, text, layout);
}

std::string ApplicationTitleFor(const std::string& executablePath) {
    std::string name = platform::fileNamePart(executablePath);
    name = name.substr(0, name.find('.'));
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    return name;
}

}  // namespace ui
