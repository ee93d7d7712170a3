#include "ui/fltk/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>
#undef KeyPress  // X11 names that clash with ours
#undef None

#include <algorithm>
#include <vector>

namespace ui {

namespace {

constexpr int kMargin = 14;
constexpr int kIconSide = 32;
constexpr int kIconGap = 12;
constexpr int kTextSize = 14;
constexpr int kMaxTextWidth = kBoxMaxTextWidth;
constexpr int kButtonHeight = 26;
constexpr int kButtonMinWidth = 86;
constexpr int kButtonGap = 8;

bool HasIcon(BoxKind kind) { return kind != BoxKind::Plain; }

// The text as the box draws it: the toolkit breaks lines at line feeds, messages at carriage returns.
std::string WithLineFeeds(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

class BoxIcon : public Fl_Widget {
public:
    BoxIcon(int x, int y, BoxKind kind) : Fl_Widget(x, y, kIconSide, kIconSide), kind_(kind) {}

    void draw() override {
        const char* glyph = "i";
        Fl_Color glyphColor = FL_WHITE;
        if (kind_ == BoxKind::Warning) {
            fl_color(fl_rgb_color(0xF2, 0xC0, 0x1E));
            fl_polygon(x() + w() / 2, y() + 1, x() + w() - 1, y() + h() - 2, x(), y() + h() - 2);
            glyph = "!";
            glyphColor = FL_BLACK;
        } else {
            const bool error = kind_ == BoxKind::Error;
            fl_color(error ? fl_rgb_color(0xC8, 0x28, 0x28) : fl_rgb_color(0x1E, 0x64, 0xC8));
            fl_pie(x(), y(), w(), h(), 0, 360);
            if (error) glyph = "X";
            if (kind_ == BoxKind::Confirmation) glyph = "?";
        }
        fl_color(glyphColor);
        fl_font(FL_HELVETICA_BOLD, 20);
        fl_draw(glyph, x(), y() + (kind_ == BoxKind::Warning ? 4 : 0), w(), h(), FL_ALIGN_CENTER, nullptr, 0);
    }

private:
    BoxKind kind_;
};

// The message, drawn as it is: no "@" symbols, no shortcut underlines.
class BoxText : public Fl_Widget {
public:
    BoxText(int x, int y, int w, int h, std::string text, Fl_Font font)
        : Fl_Widget(x, y, w, h), text_(std::move(text)), font_(font) {}

    void draw() override {
        fl_font(font_, kTextSize);
        fl_color(FL_FOREGROUND_COLOR);
        fl_draw(text_.c_str(), x(), y(), w(), h(), FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP,
                nullptr, 0);
    }

private:
    std::string text_;
    Fl_Font font_;
};

struct Outcome {
    BoxKind kind;
    Answer answer = Answer::OK;
};

void Answered(Fl_Widget* widget, Outcome& outcome, Answer answer) {
    outcome.answer = answer;
    widget->window() ? widget->window()->hide() : widget->hide();
}

void OnYes(Fl_Widget* widget, void* data) { Answered(widget, *static_cast<Outcome*>(data), Answer::Yes); }
void OnNo(Fl_Widget* widget, void* data) { Answered(widget, *static_cast<Outcome*>(data), Answer::No); }
void OnOk(Fl_Widget* widget, void* data) { Answered(widget, *static_cast<Outcome*>(data), Answer::OK); }

// Escape or the close button: an answer only where the box has nothing else to ask.
void OnWindowClose(Fl_Widget* window, void* data) {
    auto& outcome = *static_cast<Outcome*>(data);
    if (outcome.kind != BoxKind::Confirmation) Answered(window, outcome, Answer::OK);
}

struct BoxButton {
    const char* label;
    Fl_Callback* callback;
    bool isDefault;
};

// In the user's language, as a Portuguese Windows labels its own boxes.
std::vector<BoxButton> ButtonsFor(BoxKind kind) {
    if (kind == BoxKind::Confirmation) return {{"Sim", OnYes, true}, {"Não", OnNo, false}};
    return {{"OK", OnOk, true}};
}

int ButtonWidth(const char* label) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    return std::max(kButtonMinWidth, static_cast<int>(fl_width(label)) + 24);
}

std::optional<BoxOwner> OwnerOf(Fl_Window* window) {
    if (!window || !window->shown()) return std::nullopt;
    return BoxOwner{{window->x(), window->y(), window->x() + window->w(), window->y() + window->h()},
                    window->border() == 0};
}

platform::Rect WorkAreaAround(Fl_Window* owner) {
    int x = 0, y = 0, w = 0, h = 0;
    if (owner) Fl::screen_work_area(x, y, w, h, owner->x(), owner->y());
    else Fl::screen_work_area(x, y, w, h);
    return {x, y, x + w, y + h};
}

}  // namespace

Answer ShowFltkBox(BoxKind kind, const std::string& title, const std::string& text, BoxLayout layout,
                   Fl_Window* owner) {
    const std::string shown = WithLineFeeds(text);
    const Fl_Font font = layout == BoxLayout::Columns ? FL_COURIER : FL_HELVETICA;
    fl_font(font, kTextSize);
    int textWidth = 0, textHeight = 0;
    fl_measure(shown.c_str(), textWidth, textHeight, 0);
    if (textWidth > kMaxTextWidth) {
        textWidth = kMaxTextWidth;
        fl_measure(shown.c_str(), textWidth, textHeight, 0);
    }
    const std::vector<BoxButton> buttons = ButtonsFor(kind);
    int buttonsWidth = -kButtonGap;
    for (const BoxButton& choice : buttons) buttonsWidth += ButtonWidth(choice.label) + kButtonGap;

    const int textLeft = kMargin + (HasIcon(kind) ? kIconSide + kIconGap : 0);
    const int bodyHeight = std::max(textHeight, HasIcon(kind) ? kIconSide : 0);
    const int width = std::max(textLeft + textWidth, buttonsWidth) + kMargin;
    const int height = kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;
    const platform::Rect place = PlaceBox({width, height}, OwnerOf(owner), WorkAreaAround(owner));

    Outcome outcome{kind};
    Fl_Double_Window window(place.left, place.top, width, height);
    window.copy_label(title.c_str());
    if (HasIcon(kind)) new BoxIcon(kMargin, kMargin, kind);
    new BoxText(textLeft, kMargin, textWidth, bodyHeight, shown, font);
    int x = (width - buttonsWidth) / 2;  // centred, as Windows places them
    const int y = height - kMargin - kButtonHeight;
    for (const BoxButton& choice : buttons) {
        Fl_Button* button = choice.isDefault ? new Fl_Return_Button(x, y, ButtonWidth(choice.label), kButtonHeight)
                                           : new Fl_Button(x, y, ButtonWidth(choice.label), kButtonHeight);
        button->label(choice.label);
        button->callback(choice.callback, &outcome);
        x += button->w() + kButtonGap;
    }
    window.end();
    window.size_range(width, height, width, height);  // a fixed size: nothing to resize or maximise
    window.callback(OnWindowClose, &outcome);
    window.set_modal();
    window.show();
    while (window.shown()) Fl::wait();
    return outcome.answer;
}

}  // namespace ui
