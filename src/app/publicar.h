// The administrator's command "--publicar ORIGEM [DESTINO]": a new build put on the server whole
// (publicacao/), with progress on the console, the log beside the program and an exit status.
// It ends no module and opens no window of the run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace app {

enum CodigoPublicar : int {
    PublicarFeito = 0,           // published, or the server already served this build
    PublicarFalhou = 1,          // some file or the manifest could not be written: run it again
    PublicarOutraEmAndamento = 2,// another publish holds the server: nothing was touched
    PublicarUsoInvalido = 3,     // the command line, the build or the server folder could not be used
};
std::string DescricaoCodigosPublicar();

struct ResultadoPublicar {
    std::string texto;  // the summary for the console
    int codigo = 0;
};

// Nothing when no argument is "--publicar": the run goes ahead. DESTINO defaults to the server
// program folder that qor.ini gives.
std::optional<ResultadoPublicar> ComandoPublicar(const std::vector<std::string>& argumentos,
                                                 const platform::Platform& plataforma);

}  // namespace app
