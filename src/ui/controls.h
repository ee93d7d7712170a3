// Model controls of our toolkit facade. The application logic only sets their properties; the
// active backend (FLTK, Win32 or headless) realises them when it refreshes a form.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

using Color = uint32_t;  // 0xRRGGBB

namespace colors {
inline constexpr Color Black = 0x000000;
inline constexpr Color White = 0xFFFFFF;
inline constexpr Color Red = 0xFF0000;
inline constexpr Color Lime = 0x00FF00;
inline constexpr Color BtnFace = 0xF0F0F0;
inline constexpr Color WindowText = 0x000000;
}  // namespace colors

struct Font {
    std::string name = "MS Sans Serif";
    int height = 11;  // pixels
    bool bold = false;
    Color color = colors::WindowText;
};

enum class Alignment { Left, Right, Center };

// A 32-bit picture, row by row from the top-left corner.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB; alpha 0 is transparent
    bool empty() const { return pixels.empty(); }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

class TForm;

class TComponent {
public:
    explicit TComponent(std::string name) : Name(std::move(name)) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    std::string Name;
};

// alClient: the control fills its form's client area, also after the form is resized.
enum class TAlign { alNone, alClient };

class TControl : public TComponent {
public:
    using TComponent::TComponent;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = true;
    TAlign Align = TAlign::alNone;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
    std::string Caption;
    Font LabelFont;
    bool AutoSize = true;  // false: text is clipped to the fixed box
    Alignment TextAlign = Alignment::Left;
    bool Transparent = true;
    // A counter that may change many times a second: a status echo thins it out, keeping its last
    // value. Windows paint it as any label.
    bool FastChanging = false;
};

class TImage : public TControl {
public:
    using TControl::TControl;
    Picture Image;
};

// Keeps its position inside [Min, Max]; a maximum below the minimum is refused.
class TProgressBar : public TControl {
public:
    using TControl::TControl;
    int64_t Min() const { return min_; }
    int64_t Max() const { return max_; }
    int64_t Position() const { return position_; }
    void SetMin(int64_t value);
    void SetMax(int64_t value);  // throws std::invalid_argument when below Min
    void SetPosition(int64_t value);
    Color BarColor = colors::Lime;
    Color BackgroundColor = colors::White;

private:
    int64_t min_ = 0, max_ = 100, position_ = 0;
};

// A multi-line text control used here as a list of lines.
class TMemo : public TControl {
public:
    using TControl::TControl;
    std::vector<std::string> Lines;
    // The line at index, or empty text past the end.
    std::string Line(size_t index) const { return index < Lines.size() ? Lines[index] : std::string(); }
};

class TSpeedButton : public TControl {
public:
    using TControl::TControl;
    bool Flat = true;
    std::function<void()> OnClick;
    void Click() {
        if (OnClick) OnClick();
    }
};

// Seconds on the steady clock that timers are scheduled on.
double SteadySeconds();

// A message timer: ticks every Interval ms while Enabled, on the user-interface thread.
class TTimer : public TComponent {
public:
    explicit TTimer(std::string name);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int Interval = 1000;
    std::function<void()> OnTimer;
    double DueAt() const { return dueAt_; }  // seconds on the steady clock
    void Fire();                             // runs OnTimer and schedules the next tick

private:
    bool enabled_ = false;
    double dueAt_ = 0;
};

// Every timer that exists in the process, in creation order (the application fires them).
const std::vector<TTimer*>& AllTimers();

struct TTreeNode {
    std::string Text;
    std::vector<std::unique_ptr<TTreeNode>> Children;
    TTreeNode* Add(std::string text);
};

class TPopupMenu;

class TTreeView : public TControl {
public:
    using TControl::TControl;
    std::vector<std::unique_ptr<TTreeNode>> Items;
    TTreeNode* Selected = nullptr;
    int Indent = 19;
    TPopupMenu* PopupMenu = nullptr;
    TTreeNode* AddRoot(std::string text);
    // The first node, depth first, whose text is `text`; null when none is.
    TTreeNode* FindNode(const std::string& text) const;
};

struct TMenuItem {
    std::string Name;
    std::string Caption;
    std::function<void()> OnClick;
};

class TPopupMenu : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<TMenuItem> Items;
};

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

enum class BorderStyle { None, Sizeable };
enum class Position { Designed, ScreenCenter };

// A window. Controls are members of the derived class and registered in painting order.
class TForm : public TComponent {
public:
    using TComponent::TComponent;
    ~TForm() override;  // a form that is still open loses its window, without its OnDestroy
    std::string Caption;
    int Left = 0, Top = 0, ClientWidth = 0, ClientHeight = 0;
    BorderStyle Border = BorderStyle::Sizeable;
    Position StartPosition = Position::Designed;
    Color BackgroundColor = colors::BtnFace;
    Font FormFont;
    bool KeyPreview = false;

    std::function<void()> OnShow;
    std::function<void(TCloseAction&)> OnClose;
    std::function<void()> OnDestroy;
    std::function<void(char&)> OnKeyPress;

    // Outer size: the same as the client area for a window without a frame.
    int Width() const { return ClientWidth; }
    int Height() const { return ClientHeight; }

    const std::vector<TControl*>& Controls() const { return controls_; }
    // Gives the aligned controls their place in the current client area.
    void AlignControls();
    void* NativeHandle = nullptr;  // the backend's window, while it exists

protected:
    void Register(TControl& control) { controls_.push_back(&control); }

private:
    std::vector<TControl*> controls_;
};

}  // namespace ui
