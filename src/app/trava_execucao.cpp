#include "app/trava_execucao.h"

#include "app/run_log.h"

namespace app {

platform::LockResult TravaPastaPrograma(platform::Platform& plataforma, const std::string& pastaPrograma) {
    platform::LockResult trava = plataforma.files->lockExclusive(pastaPrograma + std::string(kNomeTrava));
    if (trava.outcome == platform::LockOutcome::HeldByAnother)
        RegistroExecucao(plataforma.files, pastaPrograma)
            .Escreve("outra execução já atualiza esta pasta de programas: esta terminou sem fazer nada "
                     "(código de saída 8)");
    return trava;
}

}  // namespace app
