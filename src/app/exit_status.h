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
    SaidaNadaAVoltar = 32,         // --voltar found nothing to take back and changed nothing
    SaidaAcervoNaoGravado = 64,    // the terminal's record could not be written (its journal stays)
};

// The table above for the usage text, one line per value.
std::string DescricaoCodigosDeSaida();
// What one exit status of a run means, its conditions joined ("atualização completa ..." for 0).
std::string SignificadoDoCodigo(int codigo);

// --voltar's own table: 2 there means a file that could not go back (it stays as it was), and
// 4 and 8 add up as in a run.
std::string DescricaoCodigosVoltar();
std::string SignificadoDoCodigoVoltar(int codigo);

// The exit status of --terminais, which reads the fleet's records and updates nothing.
enum CodigoTerminais : int {
    TerminaisEmDia = 0,         // every terminal up to date (or updating now)
    TerminaisPedemAtencao = 1,  // a terminal failed, is behind or has been silent too long
    TerminaisPastaIlegivel = 2, // the records' folder could not be read
    TerminaisUsoInvalido = 3,   // the command line could not be understood
    TerminaisPaginaNaoGravada = 4,  // index.html could not be written (added to 1 when both hold)
};
std::string DescricaoCodigosTerminais();

}  // namespace app
