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
    {SaidaAcervoNaoGravado, "o registro do terminal (AtualizaTerminalQOR7.acervo) não pôde ser gravado"},
};

constexpr const char* kNormal = "atualização completa e módulo iniciado";

constexpr Condicao kCondicoesVoltar[] = {
    {SaidaCaminhoDeFalha, "erro inesperado: nada mais foi feito"},
    {SaidaArquivoNaoAtualizado, "algum arquivo não pôde voltar à versão anterior (ficou como estava)"},
    {SaidaLancamentoFalhou, "um programa não pôde ser iniciado"},
    {SaidaOutraExecucao, "outra execução já trabalhava nesta pasta: esta não fez nada"},
    {SaidaNadaAVoltar, "nada a voltar: nenhuma versão guardada, ou a última atualização já desfeita"},
    {SaidaAcervoNaoGravado, "o registro do terminal (AtualizaTerminalQOR7.acervo) não pôde ser gravado"},
};

constexpr const char* kNormalVoltar = "a última atualização foi desfeita e o módulo iniciado";

template <size_t N>
std::string Descricao(const Condicao (&condicoes)[N], const char* normal) {
    std::string texto = "  0  " + std::string(normal) + "\n";
    for (const Condicao& c : condicoes) texto += (c.bit < 10 ? "  " : " ") + std::to_string(c.bit) + "  " + c.texto + "\n";
    return texto;
}

template <size_t N>
std::string Significado(const Condicao (&condicoes)[N], const char* normal, int codigo) {
    std::string texto;
    for (const Condicao& c : condicoes)
        if (codigo & c.bit) texto += (texto.empty() ? "" : "; ") + std::string(c.texto);
    return texto.empty() ? normal : texto;
}

}  // namespace

std::string DescricaoCodigosDeSaida() { return Descricao(kCondicoes, kNormal); }

std::string SignificadoDoCodigo(int codigo) { return Significado(kCondicoes, kNormal, codigo); }

std::string DescricaoCodigosVoltar() { return Descricao(kCondicoesVoltar, kNormalVoltar); }

std::string SignificadoDoCodigoVoltar(int codigo) { return Significado(kCondicoesVoltar, kNormalVoltar, codigo); }

std::string DescricaoCodigosTerminais() {
    return "  0  todos os terminais em dia (ou atualizando agora)\n"
           "  1  algum terminal pede atenção: com falha, silencioso, nunca visto ou atrasado\n"
           "  2  a pasta dos registros não pôde ser lida\n"
           "  3  argumentos inválidos\n"
           "  4  a página index.html não pôde ser gravada (5: e algum terminal pede atenção)\n";
}

}  // namespace app
