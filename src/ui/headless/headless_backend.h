// The backend without windows: for unattended runs and black-box tests. Message boxes are written
// to standard output as blocks and answered at once; label changes are echoed to standard error.
#pragma once

#include <map>
#include <string>

#include "ui/application.h"

namespace ui {

class HeadlessBackend : public Backend {
public:
    std::string Name() const override { return "headless"; }
    void ShowForm(TForm& form) override;
    void HideForm(TForm& form) override { EchoPendingCounters(form); }
    void FormEnding(TForm& form) override { EchoPendingCounters(form); }
    void DestroyForm(TForm& form) override;
    void Refresh(TForm& form) override;
    void Wait(double seconds) override;
    void Check() override {}
    Answer MessageBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout) override;
    std::optional<platform::Rect> WorkArea() override { return std::nullopt; }
    ScreenSize Screen() override { return {1024, 768}; }
    bool Interactive() const override { return false; }

private:
    struct Echoed {
        std::string caption;
        double at = -1e9;  // steady seconds
    };
    void Echo(const TForm& form, const TLabel& label, Echoed& echoed, double now);
    // Counters changed since their last echo are written now: their last value is never lost.
    void EchoPendingCounters(const TForm& form);

    // What was last echoed, per form and label name.
    std::map<const TForm*, std::map<std::string, Echoed>> echoed_;
};

// Fast-changing labels are echoed at most this often.
inline constexpr double kCounterEchoSeconds = 0.25;

// What standard output shows of a window with a title bar when it is shown: "--- window " and its
// caption, then the lines of its tree views, two blanks of indent per level.
std::string HeadlessWindowListing(const TForm& form);

// The text of one message box block as it is written to standard output.
std::string HeadlessBoxBlock(BoxKind kind, const std::string& text, Answer answer);

}  // namespace ui
