// The console's view of the fleet, within 80 columns: the summary, then one section per group
// (what to do about it), each terminal on a line with the reason wrapped beneath it.
#include "frota/painel.h"
#include "frota/tempo.h"
#include "frota/texto_seguro.h"
#include "platform/text.h"

#include <algorithm>

namespace frota {

namespace {

constexpr size_t kLargura = 79;  // the last column of an 80-column console stays free

// At most `largura` characters: longer text ends in "…".
std::string Corta(std::string_view texto, size_t largura) {
    std::string visivel = TextoVisivel(texto);
    if (platform::utf8Length(visivel) <= largura) return visivel;
    return platform::utf8Slice(visivel, 1, largura - 1) + "…";
}

// A cell of exactly `largura` characters.
std::string Celula(std::string_view texto, size_t largura) {
    std::string cortado = Corta(texto, largura);
    return cortado + std::string(largura - platform::utf8Length(cortado), ' ');
}

// Words after `recuo` blanks, in lines of at most kLargura characters (a word longer than a line
// is cut into pieces); at most `linhas` lines, the last ending in "…" when text is left.
std::string Quebra(std::string_view texto, size_t recuo, size_t linhas) {
    const std::string visivel = TextoVisivel(texto);
    const std::vector<std::string_view> letras = platform::utf8Characters(visivel);
    const size_t largura = kLargura - recuo;
    std::string saida;
    size_t i = 0;
    for (size_t linha = 0; linha < linhas && i < letras.size(); ++linha) {
        size_t fim = std::min(i + largura, letras.size());
        if (fim < letras.size()) {  // end at the last blank that fits, when there is one
            size_t branco = fim;
            while (branco > i && letras[branco] != " ") --branco;
            if (branco > i) fim = branco;
        }
        std::string pedaco;
        for (size_t k = i; k < fim; ++k) pedaco += letras[k];
        i = fim;
        while (i < letras.size() && letras[i] == " ") ++i;
        if (linha + 1 == linhas && i < letras.size())
            pedaco = platform::utf8Slice(pedaco, 1, std::min(platform::utf8Length(pedaco), largura - 1)) + "…";
        saida += std::string(recuo, ' ') + pedaco + "\n";
    }
    return saida;
}

std::string Resumo(const Painel& painel) {
    std::string texto, linha;
    const auto acrescenta = [&](const std::string& parte) {
        if (!linha.empty() && platform::utf8Length(linha) + 3 + platform::utf8Length(parte) > kLargura) {
            texto += linha + "\n";
            linha.clear();
        }
        linha += (linha.empty() ? "" : "   ") + parte;
    };
    for (Grupo grupo : kGrupos) acrescenta(std::string(NomeDoGrupo(grupo)) + ": " + std::to_string(painel.Quantos(grupo)));
    acrescenta("arquivos ignorados: " + std::to_string(painel.ignorados));
    return texto + linha + "\n";
}

std::string Plural(size_t n, const std::string& singular, const std::string& plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

// Which updater and which publication the shop runs, and what went wrong with renewals.
std::string Versoes(const Painel& painel) {
    std::string texto;
    const auto atualizadores = painel.Atualizadores();
    if (!atualizadores.empty()) {
        std::string linha = "Atualizador:";
        for (size_t i = 0; i < atualizadores.size(); ++i)
            linha += (i ? "; " : " ") + atualizadores[i].first + " em " + Plural(atualizadores[i].second, "terminal", "terminais");
        texto += Quebra(linha, 0, 3);
    }
    if (const auto publicacao = painel.PublicacaoMaisRecente())
        texto += "Publicação mais recente: " + std::to_string(*publicacao) + ", em " +
                 std::to_string(painel.NaPublicacaoMaisRecente()) + " de " +
                 Plural(painel.terminais.size(), "terminal", "terminais") + "\n";
    if (const size_t renovacoes = painel.RenovacoesComProblema())
        texto += "Renovação do atualizador recusada ou com falha em " + Plural(renovacoes, "terminal", "terminais") + "\n";
    return texto;
}

std::string Aviso(const Painel& painel) {
    if (!painel.PoucosDeramNoticia()) return {};
    return Quebra("ATENÇÃO: só " + std::to_string(painel.OuvidosNoUltimoDia()) + " de " +
                      Plural(painel.terminais.size(), "terminal deu", "terminais deram") +
                      " notícia nas últimas 24 horas: o compartilhamento ou a pasta TERMINAIS pode estar "
                      "inacessível para os terminais.",
                  0, 3);
}

std::string Contato(const Painel& painel, const Terminal& t) {
    if (t.arquivo.empty()) return "nunca";
    return t.contato ? HaQuanto(painel.opcoes.agora, *t.contato) : "?";
}

// Columns: 17 + 1 + 10 + 1 + 11 + 1 + 20 + 1 + 8 = 70.
std::string Cabecalho() {
    return Celula("TERMINAL", 17) + " " + Celula("USUÁRIO", 10) + " " + Celula("CONTATO", 11) + " " +
           Celula("ATUALIZADOR", 20) + " " + "PUBLIC.\n";
}

std::string Linha(const Painel& painel, const Terminal& t) {
    std::string sucesso;
    if (t.grupo != Grupo::EmDia && t.grupo != Grupo::NuncaVisto)
        sucesso = t.ultimoSucesso ? "último sucesso " + HaQuanto(painel.opcoes.agora, *t.ultimoSucesso) : "";
    const std::string nome = t.maquina.empty() ? t.arquivo : t.maquina;
    const std::string publicacao = t.publicacao ? std::to_string(*t.publicacao) : "-";
    return Celula(nome, 17) + " " + Celula(t.usuario, 10) + " " + Celula(Contato(painel, t), 11) + " " +
           Celula(NomeDoAtualizador(t), 20) + " " + Corta(publicacao, 8) + "\n" +
           Quebra(t.detalhe + (sucesso.empty() ? "" : (t.detalhe.empty() ? "" : "; ") + sucesso), 4, 3);
}

}  // namespace

std::string TabelaDoPainel(const Painel& painel) {
    const std::string pasta = TextoVisivel(platform::pathForDisplay(painel.pasta));
    if (!painel.legivel) return "A pasta " + pasta + " não pôde ser lida.\n";
    std::string texto = Quebra("Terminais em " + pasta + " (" + Plural(painel.terminais.size(), "terminal", "terminais") +
                                   "; silencioso após " + std::to_string(painel.opcoes.horasSilencio) + " h sem notícias)",
                               0, 4) +
                        Aviso(painel) + Resumo(painel) + Versoes(painel);
    if (painel.terminais.empty()) return texto + "\nNenhum terminal deixou registro nesta pasta.\n";
    for (Grupo grupo : kGrupos) {
        const size_t quantos = painel.Quantos(grupo);
        if (quantos == 0) continue;
        texto += "\n" + Quebra("== " + std::string(NomeDoGrupo(grupo)) + " (" + std::to_string(quantos) + "): " +
                                   AcaoDoGrupo(grupo),
                               0, 2) +
                 Cabecalho();
        for (const Terminal& t : painel.terminais)
            if (t.grupo == grupo) texto += Linha(painel, t);
    }
    return texto;
}

}  // namespace frota
