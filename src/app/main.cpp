// Program entry: one process, one update run, then the process ends.
#include <memory>

#include "app/atualiza_modulo.h"
#include "app/design_mode.h"
#include "app/run_state.h"
#include "platform/platform.h"
#include "ui/application.h"

int main(int argc, char** argv) {
    // UTF-8 text on every platform: Windows gives it from its UTF-16 command line.
    app::GuardaArgumentos(platform::commandLineArguments(argc, argv));
    platform::Platform plataforma = platform::makeNativePlatform();
    ui::Application application(ui::MakeBackend());
    application.Initialize();
    application.Title = ui::ApplicationTitleFor(plataforma.system->executablePath());

    if (app::ModoDesign()) app::ExecutaModoDesign(application);

    auto form = std::make_unique<app::TFrmAtuModulo>(application, plataforma);
    app::FrmAtuModulo = form.get();
    application.CreateForm(*form);
    application.Run();
    application.DestroyAllForms();
    return 0;
}
