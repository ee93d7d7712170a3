// "--verificar" and "--reparar": the terminal's files checked by content with local reads only,
// one line per file that differs; --reparar copies exactly those again from the server, checks
// each installed file and reports. Neither ends a module unless a file must be replaced.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace app {

enum CodigoVerificar : int {
    VerificarConfere = 0,       // every file agrees (after --reparar: every file was mended)
    VerificarDifere = 1,        // some file differs (after --reparar: some could not be mended)
    VerificarSemReferencia = 2, // neither a publication's manifest nor a record to check against
    VerificarUsoInvalido = 3,
    VerificarOutraExecucao = 8, // --reparar: another run holds the program folder; nothing done
};
std::string DescricaoCodigosVerificar();

struct ResultadoVerificar {
    std::string texto;
    int codigo = 0;
};

std::optional<ResultadoVerificar> ComandoVerificar(const std::vector<std::string>& argumentos,
                                                   const platform::Platform& plataforma);

}  // namespace app
