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
    void HideForm(TForm&) override {}
    void DestroyForm(TForm& form) override;
    void Refresh(TForm& form) override;
    void Wait(double seconds) override;
    void Check() override {}
    Answer MessageBox(BoxKind kind, const std::string& title, const std::string& text) override;
    std::optional<platform::Rect> WorkArea() override { return std::nullopt; }
    ScreenSize Screen() override { return {1024, 768}; }
    bool Interactive() const override { return false; }

private:
    // The captions last echoed, per form and label name.
    std::map<const TForm*, std::map<std::string, std::string>> echoed_;
};

// What standard output shows of a window with a title bar when it is shown: "--- window " and its
// caption, then the lines of its tree views, two blanks of indent per level.
std::string HeadlessWindowListing(const TForm& form);

// The text of one message box block as it is written to standard output.
std::string HeadlessBoxBlock(BoxKind kind, const std::string& text, Answer answer);

}  // namespace ui
