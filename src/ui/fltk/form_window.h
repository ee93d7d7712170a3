// The window of one form: paints the form's controls from back to front.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>

#include <map>
#include <memory>
#include <vector>

#include "ui/controls.h"

namespace ui {

class TreeWidget;

class FormWindow : public Fl_Double_Window {
public:
    explicit FormWindow(TForm& form);
    TForm* Form() const { return form_; }
    void Detach();  // the form is gone; the window waits for deletion

    // Moves and resizes the window when the model says so, and brings its toolkit controls (the
    // tree views) up to date; cheap when nothing changed.
    void SyncGeometry();
    // The toolkit control that realises a model control, if any.
    Fl_Widget* WidgetOf(const TControl& control) const;
    // A repaint at most every frame: the rest is marked stale and painted later.
    void RequestRepaint(double now);
    void RepaintIfStale();

    void draw() override;
    int handle(int event) override;
    // Moves by the user (dragging a sizeable window) go back into the model.
    void resize(int x, int y, int w, int h) override;

private:
    struct CachedPicture {
        const uint32_t* source = nullptr;
        int width = 0, height = 0;
        std::vector<unsigned char> bytes;
        std::unique_ptr<Fl_RGB_Image> image;
    };
    void DrawModel();
    void DrawImage(const TImage& image);
    void DrawLabel(const TLabel& label);
    void DrawGauge(const TProgressBar& bar);
    Fl_RGB_Image* ImageFor(const TImage& image);
    void SyncControls();

    std::vector<TreeWidget*> trees_;  // children of this window, deleted with it

    TForm* form_;
    std::map<const TImage*, CachedPicture> pictures_;
    double lastRepaint_ = 0;
    bool stale_ = false;
};

// Key preview: a form with KeyPreview sees a key before the control that has the focus. True
// when the key is used up (the form closed, or its handler cleared the key).
bool PreviewKey(Fl_Window* window);

}  // namespace ui
