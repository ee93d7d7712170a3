#include "app/ultima_guarda.h"

#include <memory>

namespace app {

void UltimaGuarda(ui::Application* application, TFrmAtuModulo* form, const platform::Platform& plataforma) noexcept {
    try {
        if (form) return form->FalhaSemTratamento();
        if (!plataforma.files || !plataforma.processes || !plataforma.shell || !plataforma.system) return;
        std::unique_ptr<ui::Application> propria;
        if (!application) {
            propria = std::make_unique<ui::Application>(ui::MakeHeadlessBackend());
            propria->Title = ui::ApplicationTitleFor(plataforma.system->executablePath());
            application = propria.get();
        }
        TFrmAtuModulo substituta(*application, plataforma);
        substituta.FalhaSemTratamento();
    } catch (...) {
        // Not even a window for the message: the process ends quietly rather than crash.
    }
}

}  // namespace app
