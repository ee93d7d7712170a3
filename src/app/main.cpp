// Program entry: one process, one update run, then the process ends.
#include <memory>

#include "app/atualiza_modulo.h"
#include "app/design_mode.h"
#include "app/run_state.h"
#include "app/ultima_guarda.h"
#include "platform/platform.h"
#include "ui/application.h"

int main(int argc, char** argv) {
    platform::Platform plataforma;
    std::unique_ptr<ui::Application> application;
    std::unique_ptr<app::TFrmAtuModulo> form;
    try {
        // UTF-8 text on every platform: Windows gives it from its UTF-16 command line.
        app::GuardaArgumentos(platform::commandLineArguments(argc, argv));
        plataforma = platform::makeNativePlatform();
        application = std::make_unique<ui::Application>(ui::MakeBackend());
        application->Initialize();
        application->Title = ui::ApplicationTitleFor(plataforma.system->executablePath());

        if (app::ModoDesign()) app::ExecutaModoDesign(*application);

        form = std::make_unique<app::TFrmAtuModulo>(*application, plataforma);
        app::FrmAtuModulo = form.get();
        application->CreateForm(*form);
        application->Run();
        application->DestroyAllForms();
    } catch (...) {
        app::UltimaGuarda(application.get(), form.get(), plataforma);
    }
    return 0;
}
