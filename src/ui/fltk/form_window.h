// The window of one form: paints the form's controls from back to front.
#pragma once

#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>

#include <map>
#include <memory>
#include <vector>

#include "ui/controls.h"

namespace ui {

class FormWindow : public Fl_Double_Window {
public:
    explicit FormWindow(TForm& form);
    TForm* Form() const { return form_; }
    void Detach() { form_ = nullptr; }  // the form is gone; the window waits for deletion

    // Moves and resizes the window when the model says so; cheap when nothing changed.
    void SyncGeometry();
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
    void DrawImage(const TImage& image);
    void DrawLabel(const TLabel& label);
    void DrawGauge(const TProgressBar& bar);
    Fl_RGB_Image* ImageFor(const TImage& image);

    TForm* form_;
    std::map<const TImage*, CachedPicture> pictures_;
    double lastRepaint_ = 0;
    bool stale_ = false;
};

}  // namespace ui
