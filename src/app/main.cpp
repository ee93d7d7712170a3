// Program entry: one process, one update run, then the process ends with the run's exit status.
#include <memory>

#include "app/ajuda.h"
#include "app/atualiza_modulo.h"
#include "app/design_mode.h"
#include "app/publicar.h"
#include "app/verificar.h"
#include "app/renovacao.h"
#include "app/exit_status.h"
#include "app/run_state.h"
#include "app/simulacao.h"
#include "app/trava_execucao.h"
#include "app/terminais.h"
#include "app/ultima_guarda.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "ui/application.h"

namespace {

// Help, version and the fleet's table touch no process and no window of the run; a Windows
// program started from no console at all shows the text in a box instead.
int MostraInformacao(const std::string& texto, const std::string& executavel, int codigo = 0) {
    if (platform::writeToConsole(texto)) return codigo;
    ui::Application application(ui::MakeBackend());
    application.Title = ui::ApplicationTitleFor(executavel);
    application.MessageBox(ui::BoxKind::Information, texto, ui::BoxLayout::Columns);  // the help lines up in columns
    return codigo;
}

}  // namespace

int main(int argc, char** argv) {
    platform::Platform plataforma;
    std::unique_ptr<ui::Application> application;
    std::unique_ptr<app::TFrmAtuModulo> form;
    try {
        // UTF-8 text on every platform: Windows gives it from its UTF-16 command line.
        const std::vector<std::string> argumentos = platform::commandLineArguments(argc, argv);
        plataforma = platform::makeNativePlatform();
        const std::string executavel = plataforma.system->executablePath();
        if (auto texto = app::TextoInformativo(argumentos, platform::folderPart(executavel)))
            return MostraInformacao(*texto, executavel);
        if (auto frota = app::ComandoTerminais(argumentos, plataforma))
            return MostraInformacao(frota->texto, executavel, frota->codigo);
        // Before the lock: a simulation creates no file, and runs beside a run that holds it.
        if (auto simulacao = app::ComandoSimular(argumentos, plataforma))
            return MostraInformacao(simulacao->texto, executavel, simulacao->codigo);
        if (auto verificacao = app::ComandoVerificar(argumentos, plataforma))
            return MostraInformacao(verificacao->texto, executavel, verificacao->codigo);
        // Before the lock: the copy waits for the run that started it, and a new start is never kept waiting.
        if (auto assumiu = app::ComandoAssumir(argumentos, plataforma)) return *assumiu;
        if (auto publicacao = app::ComandoPublicar(argumentos, plataforma))
            return MostraInformacao(publicacao->texto, executavel, publicacao->codigo);

        app::GuardaArgumentos(argumentos);
        // One run per program folder, held until the process ends.
        const platform::LockResult trava = app::TravaPastaPrograma(plataforma, platform::folderPart(executavel));
        if (trava.outcome == platform::LockOutcome::HeldByAnother) return app::SaidaOutraExecucao;

        application = std::make_unique<ui::Application>(ui::MakeBackend());
        application->Initialize();
        application->Title = ui::ApplicationTitleFor(executavel);

        if (app::ModoDesign()) app::ExecutaModoDesign(*application);

        form = std::make_unique<app::TFrmAtuModulo>(*application, plataforma);
        app::FrmAtuModulo = form.get();
        application->CreateForm(*form);
        application->Run();
        application->DestroyAllForms();
        return form->CodigoSaida;
    } catch (...) {
        app::UltimaGuarda(application.get(), form.get(), plataforma);
    }
    // The guard's failure path set the form's status; a window made by the guard itself had none.
    return form ? form->CodigoSaida : app::SaidaCaminhoDeFalha;
}
