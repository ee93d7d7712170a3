// The process's exit status, so that a script or a service can tell what a run did: 0 when the
// run took its normal path, every file it tried to copy was copied and the module was started;
// otherwise the sum of the conditions that happened.
#pragma once

#include <string>

namespace app {

enum CodigoSaida : int {
    SaidaNormal = 0,
    SaidaCaminhoDeFalha = 1,       // the run's failure path ("Ocorreram erros na Atualização ...")
    SaidaArquivoNaoAtualizado = 2, // a file stayed old: its copy and the fallback copy failed
    SaidaLancamentoFalhou = 4,     // a program could not be started
    SaidaOutraExecucao = 8,        // another run was updating this program folder: this one did nothing
    SaidaServidorNaoResponde = 16, // the server's folder stopped answering: part of the catalogue was not judged
};

// The table above for the usage text, one line per value.
std::string DescricaoCodigosDeSaida();

}  // namespace app
