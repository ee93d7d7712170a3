// --simular: a whole run that changes nothing. It reads the settings, the catalogue, the record
// and the server's listings, decides every line as a run would, and tells what a run would end,
// delete, copy and start, with the exit status that run would have. It writes nothing (no log, no
// record, no lock file), ends nothing and starts nothing: an administrator's preview, and the
// proof a new build of the updater gives before it takes over.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace app {

inline constexpr const char* kComandoSimular = "--simular";

struct ResultadoSimulacao {
    std::string texto;  // for the console; its first line names this build's version
    int codigo = 0;     // the exit status the run would have (exit_status.h)
};

// Nothing when no argument is "--simular". "F" first among the other arguments chooses the
// point-of-sale module, as in a run.
std::optional<ResultadoSimulacao> ComandoSimular(const std::vector<std::string>& argumentos,
                                                 const platform::Platform& plataforma);

// The first line of the text: what the renewal reads back from a candidate build.
std::string LinhaDeVersaoSimulada(const std::string& versao, const std::string& compilacao);

}  // namespace app
