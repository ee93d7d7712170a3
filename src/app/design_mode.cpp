#include "app/design_mode.h"

#include <memory>

#include "app/run_log.h"
#include "packinfo/pack_form.h"
#include "settings/retorna_caminho.h"

namespace app {

namespace {

// The server program folder, or empty when the settings cannot give one: the window is a tool and
// must open whatever the settings say.
std::string PastaServidor(const platform::Platform& plataforma) {
    try {
        return settings::RetornaCaminho(plataforma, "EXE");
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

void ExecutaModoDesign(ui::Application& application, const platform::Platform& plataforma) {
    auto form = std::make_unique<packinfo::TFrmPKG>(application, plataforma);
    packinfo::FrmPKG = form.get();
    // What the window copies into the program folder is part of this start's record.
    RegistroExecucao registro(plataforma.files, form->PastaPrograma());
    RegistraInicio(registro);
    form->Registra = [&registro](const std::string& texto) { registro.Escreve(texto); };
    form->CarregaPacotes(PastaServidor(plataforma));
    application.CreateForm(*form);
    application.ShowModal(*form);
    application.DestroyForm(*form);  // once: a free action on closing already destroyed it
    form.reset();                    // and with the object, FrmPKG goes
}

void ExecutaModoDesign(ui::Application& application) { ExecutaModoDesign(application, platform::makeNativePlatform()); }

}  // namespace app
