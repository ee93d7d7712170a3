#include "ui/fltk/form_window.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#undef KeyPress  // X11 names that clash with ours (Application::KeyPress, BorderStyle::None)
#undef None

#include <algorithm>

#include "ui/application.h"
#include "ui/fltk/tree_widget.h"
#include "ui/text_fit.h"

namespace ui {

namespace {

constexpr double kFrameSeconds = 1.0 / 60;
constexpr int kMinimumSide = 100;

void SetColor(Color color) {
    fl_color(static_cast<uchar>(color >> 16), static_cast<uchar>(color >> 8), static_cast<uchar>(color));
}

// The faces of the original design map onto the toolkit's sans-serif family.
Fl_Font FontFace(const Font& font) { return font.bold ? FL_HELVETICA_BOLD : FL_HELVETICA; }
// That family runs wider than the designed faces: a tenth smaller keeps texts in their boxes.
Fl_Fontsize FontSize(const Font& font) { return static_cast<Fl_Fontsize>(font.height * 0.9 + 0.5); }

std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

bool IsEscape() { return Fl::event_key() == FL_Escape && (Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD); }

void OnWindowCallback(Fl_Widget* widget, void*) {
    // Escape is a key like any other: only the form's key handler may close on it (a borderless
    // splash window must not close on Escape).
    if (IsEscape()) return;
    // FLTK never closes a window by itself: the application asks the form.
    auto* window = static_cast<FormWindow*>(widget);
    Application* application = CurrentApplication();
    if (application && window->Form()) application->RequestClose(*window->Form());
}

}  // namespace

FormWindow::FormWindow(TForm& form)
    : Fl_Double_Window(form.Left, form.Top, std::max(form.Width(), 1), std::max(form.Height(), 1)),
      form_(&form) {
    form.AlignControls();
    for (TControl* control : form.Controls())
        if (auto* tree = dynamic_cast<TTreeView*>(control)) trees_.push_back(new TreeWidget(*tree));
    end();
    // Children keep the places the model gives them; nothing is stretched by the toolkit.
    resizable(nullptr);
    copy_label(form.Caption.c_str());
    if (form.Border == BorderStyle::None) border(0);
    // Without a resizable child the toolkit would fix the window's size: an ordinary window can be
    // sized by the user, and its aligned controls follow through the model.
    else size_range(kMinimumSide, kMinimumSide);
    callback(OnWindowCallback);
}

void FormWindow::Detach() {
    form_ = nullptr;
    for (TreeWidget* tree : trees_) tree->Detach();
}

void FormWindow::SyncGeometry() {
    if (!form_) return;
    const int width = std::max(form_->Width(), 1), height = std::max(form_->Height(), 1);
    if (x() != form_->Left || y() != form_->Top || w() != width || h() != height)
        resize(form_->Left, form_->Top, width, height);
    SyncControls();
}

void FormWindow::SyncControls() {
    form_->AlignControls();
    for (TreeWidget* tree : trees_) tree->Sync();
}

Fl_Widget* FormWindow::WidgetOf(const TControl& control) const {
    for (TreeWidget* tree : trees_)
        if (tree->Model() == &control) return tree;
    return nullptr;
}

void FormWindow::RequestRepaint(double now) {
    if (now - lastRepaint_ < kFrameSeconds) {
        stale_ = true;
        return;
    }
    stale_ = false;
    lastRepaint_ = now;
    redraw();
}

void FormWindow::RepaintIfStale() {
    if (!stale_) return;
    stale_ = false;
    lastRepaint_ = SteadySeconds();
    redraw();
}

void FormWindow::draw() {
    if (!form_) return;
    // When only a toolkit control changed, it repaints itself over what is there.
    if (damage() & ~FL_DAMAGE_CHILD) DrawModel();
    draw_children();
}

void FormWindow::DrawModel() {
    SetColor(form_->BackgroundColor);
    fl_rectf(0, 0, w(), h());
    for (const TControl* control : form_->Controls()) {
        if (!control->Visible || WidgetOf(*control)) continue;
        if (auto* image = dynamic_cast<const TImage*>(control)) DrawImage(*image);
        else if (auto* label = dynamic_cast<const TLabel*>(control)) DrawLabel(*label);
        else if (auto* bar = dynamic_cast<const TProgressBar*>(control)) DrawGauge(*bar);
        else fl_draw_box(FL_THIN_UP_BOX, control->Left, control->Top, control->Width, control->Height, FL_GRAY);
    }
}

Fl_RGB_Image* FormWindow::ImageFor(const TImage& image) {
    const Picture& picture = image.Image;
    CachedPicture& cached = pictures_[&image];
    if (cached.image && cached.source == picture.pixels.data() && cached.width == picture.width &&
        cached.height == picture.height)
        return cached.image.get();
    cached.source = picture.pixels.data();
    cached.width = picture.width;
    cached.height = picture.height;
    cached.bytes.clear();
    cached.bytes.reserve(picture.pixels.size() * 4);
    for (uint32_t argb : picture.pixels) {
        cached.bytes.push_back(static_cast<unsigned char>(argb >> 16));
        cached.bytes.push_back(static_cast<unsigned char>(argb >> 8));
        cached.bytes.push_back(static_cast<unsigned char>(argb));
        cached.bytes.push_back(static_cast<unsigned char>(argb >> 24));
    }
    cached.image = std::make_unique<Fl_RGB_Image>(cached.bytes.data(), picture.width, picture.height, 4);
    return cached.image.get();
}

void FormWindow::DrawImage(const TImage& image) {
    if (image.Image.empty()) return;
    // Unscaled from the top-left corner, cut at the control's box.
    fl_push_clip(image.Left, image.Top, image.Width, image.Height);
    ImageFor(image)->draw(image.Left, image.Top);
    fl_pop_clip();
}

void FormWindow::DrawLabel(const TLabel& label) {
    fl_font(FontFace(label.LabelFont), FontSize(label.LabelFont));
    if (label.AutoSize) {
        const std::string text = FirstLine(label.Caption);
        if (!label.Transparent) {
            SetColor(form_->BackgroundColor);
            fl_rectf(label.Left, label.Top, static_cast<int>(fl_width(text.c_str())), label.Height);
        }
        SetColor(label.LabelFont.color);
        fl_draw(text.c_str(), label.Left, label.Top + fl_height() - fl_descent());
        return;
    }
    if (!label.Transparent) {
        SetColor(form_->BackgroundColor);
        fl_rectf(label.Left, label.Top, label.Width, label.Height);
    }
    // A fixed box shows as many lines as it holds, each shortened in the middle to fit.
    const auto measure = [](const std::string& text) { return static_cast<int>(fl_width(text.c_str())); };
    const std::vector<std::string> lines = LinesForBox(label.Caption, label.Height / fl_height());
    fl_push_clip(label.Left, label.Top, label.Width, label.Height);
    SetColor(label.LabelFont.color);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string text = FitLine(lines[i], label.Width, measure);
        const int textWidth = static_cast<int>(fl_width(text.c_str()));
        int x = label.Left;
        if (label.TextAlign == Alignment::Right) x = label.Left + label.Width - textWidth;
        if (label.TextAlign == Alignment::Center) x = label.Left + (label.Width - textWidth) / 2;
        fl_draw(text.c_str(), x, label.Top + static_cast<int>(i) * fl_height() + fl_height() - fl_descent());
    }
    fl_pop_clip();
}

void FormWindow::DrawGauge(const TProgressBar& bar) {
    // The bar grows from the left over a white trough. A gauge too thin for a border keeps its
    // whole height for the fill, as on Windows.
    int innerX = bar.Left, innerY = bar.Top, innerW = bar.Width, innerH = bar.Height;
    if (bar.Width >= 5 && bar.Height >= 5) {
        SetColor(0x808080);
        fl_rect(bar.Left, bar.Top, bar.Width, bar.Height);
        ++innerX, ++innerY, innerW -= 2, innerH -= 2;
    }
    SetColor(bar.BackgroundColor);
    fl_rectf(innerX, innerY, innerW, innerH);
    const int64_t range = bar.Max() - bar.Min();
    if (range <= 0) return;
    const int filled = static_cast<int>(static_cast<double>(bar.Position() - bar.Min()) / range * innerW);
    SetColor(bar.BarColor);
    fl_rectf(innerX, innerY, filled, innerH);
}

void FormWindow::resize(int x, int y, int w, int h) {
    Fl_Double_Window::resize(x, y, w, h);
    if (!form_) return;
    form_->Left = x;
    form_->Top = y;
    form_->ClientWidth = w;
    form_->ClientHeight = h;
    SyncControls();
}

namespace {
char KeyOfEvent() {
    if (Fl::event_key() == FL_Escape) return 27;
    return Fl::event_length() > 0 ? Fl::event_text()[0] : 0;
}
}  // namespace

int FormWindow::handle(int event) {
    if (event != FL_KEYBOARD) return Fl_Double_Window::handle(event);
    // A key that no control took. A form with key preview has seen it already (PreviewKey).
    char key = KeyOfEvent();
    if (form_ && !form_->KeyPreview && key != 0)
        if (Application* application = CurrentApplication()) application->KeyPress(*form_, key);
    return 1;  // keys end here: Escape is no close request
}

bool PreviewKey(Fl_Window* window) {
    auto* formWindow = dynamic_cast<FormWindow*>(window);
    Application* application = CurrentApplication();
    if (!formWindow || !formWindow->Form() || !formWindow->Form()->KeyPreview || !application) return false;
    TForm& form = *formWindow->Form();
    char key = KeyOfEvent();
    if (key == 0) return false;
    application->KeyPress(form, key);
    // A handler that closed the form, or swallowed the key, leaves nothing for the control.
    return !application->Alive(form) || formWindow->Form() == nullptr || key == 0;
}

}  // namespace ui
