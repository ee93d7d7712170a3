#include "app/posiciona_form.h"

namespace app {

FonteAreaTrabalho AreaTrabalhoDe(ui::Application& application, platform::System* system) {
    return {
        [&application, system]() -> std::optional<platform::Rect> {
            if (system)
                if (auto area = system->workArea()) return area;
            return application.WorkArea();
        },
        [&application] { return application.Screen(); },
    };
}

namespace {
// One axis: the new near edge, or the current one for an unknown code.
int Posicao(uint8_t code, int current, int nearEdge, int farEdge, int size) {
    switch (code) {
        case 1: return 0;
        case 2: return (farEdge - nearEdge - size) / 2;  // C++ division truncates toward zero
        case 3: return farEdge - size;
        default: return current;
    }
}
}  // namespace

void PosicionaForm(ui::TForm& Form, uint8_t Horizontal, uint8_t Vertical, const FonteAreaTrabalho& fonte) {
    std::optional<platform::Rect> area = fonte.workArea ? fonte.workArea() : std::nullopt;
    if (!area) {
        const ui::ScreenSize screen = fonte.screen ? fonte.screen() : ui::ScreenSize{};
        area = platform::Rect{0, 0, screen.width, screen.height};
    }
    Form.Left = Posicao(Horizontal, Form.Left, area->left, area->right, Form.Width());
    Form.Top = Posicao(Vertical, Form.Top, area->top, area->bottom, Form.Height());
}

}  // namespace app
