#include "app/exit_status.h"

namespace app {

namespace {

struct Condicao {
    CodigoSaida bit;
    const char* texto;
};

constexpr Condicao kCondicoes[] = {
    {SaidaCaminhoDeFalha, "erro na atualização (\"Ocorreram erros na Atualização do Módulo\")"},
    {SaidaArquivoNaoAtualizado, "algum arquivo não foi atualizado (a cópia falhou)"},
    {SaidaLancamentoFalhou, "um programa não pôde ser iniciado"},
    {SaidaOutraExecucao, "outra execução já atualizava esta pasta: esta não fez nada"},
    {SaidaServidorNaoResponde, "a pasta do servidor não pôde ser lida: parte do catálogo não foi conferida"},
};

constexpr const char* kNormal = "atualização completa e módulo iniciado";

}  // namespace

std::string DescricaoCodigosDeSaida() {
    std::string texto = "  0  " + std::string(kNormal) + "\n";
    for (const Condicao& c : kCondicoes) texto += (c.bit < 10 ? "  " : " ") + std::to_string(c.bit) + "  " + c.texto + "\n";
    return texto;
}

std::string SignificadoDoCodigo(int codigo) {
    std::string texto;
    for (const Condicao& c : kCondicoes)
        if (codigo & c.bit) texto += (texto.empty() ? "" : "; ") + std::string(c.texto);
    return texto.empty() ? kNormal : texto;
}

std::string DescricaoCodigosTerminais() {
    return "  0  todos os terminais em dia (ou atualizando agora)\n"
           "  1  algum terminal pede atenção: com falha, atrasado ou silencioso\n"
           "  2  a pasta dos registros não pôde ser lida\n"
           "  3  argumentos inválidos\n";
}

}  // namespace app
