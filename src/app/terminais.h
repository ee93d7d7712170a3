// The administrator's command "--terminais [PASTA] [--horas N]": the whole shop's state from the
// records the terminals left on the share, as a table and as the page index.html in that folder.
// It updates nothing: no window of the run, no module ended, no file written outside that folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace app {

struct ResultadoTerminais {
    std::string texto;  // for the console
    int codigo = 0;     // CodigoTerminais
};

// Nothing when no argument is "--terminais": the run goes ahead. The folder defaults to
// TERMINAIS under the server program folder that qor.ini gives.
std::optional<ResultadoTerminais> ComandoTerminais(const std::vector<std::string>& argumentos,
                                                   const platform::Platform& plataforma);

}  // namespace app
