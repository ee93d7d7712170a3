#include "app/exit_status.h"

namespace app {

std::string DescricaoCodigosDeSaida() {
    return "  0  atualização completa e módulo iniciado\n"
           "  1  erro na atualização (\"Ocorreram erros na Atualização do Módulo\")\n"
           "  2  algum arquivo não foi atualizado (a cópia falhou)\n"
           "  4  um programa não pôde ser iniciado\n"
           "  8  outra execução já atualizava esta pasta: esta não fez nada\n"
           " 16  a pasta do servidor deixou de responder: parte do catálogo não foi conferida\n";
}

}  // namespace app
