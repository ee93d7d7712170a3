// The console's view of the fleet: a summary line and one row per terminal, worst first.
#include "frota/painel.h"
#include "frota/tempo.h"
#include "frota/texto_seguro.h"
#include "platform/text.h"

namespace frota {

namespace {

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

std::string SemExtensao(const std::string& arquivo) { return arquivo.substr(0, arquivo.rfind('.')); }

std::string Resumo(const Painel& painel) {
    std::string linha;
    for (Grupo grupo : kGrupos) linha += std::string(NomeDoGrupo(grupo)) + ": " + std::to_string(painel.Quantos(grupo)) + "   ";
    return linha + "arquivos ignorados: " + std::to_string(painel.ignorados) + "\n";
}

std::string Linha(const Terminal& t) {
    const std::string contato = t.contato ? HoraLocal(*t.contato) : "?";
    return Celula(NomeDoGrupo(t.grupo), 12) + " " + Celula(SemExtensao(t.arquivo), 30) + " " + Celula(t.usuario, 12) +
           " " + Celula(contato, 19) + " " + Celula(t.versao, 7) + " " + Corta(t.detalhe, 100) + "\n";
}

}  // namespace

std::string TabelaDoPainel(const Painel& painel) {
    const std::string pasta = TextoVisivel(platform::pathForDisplay(painel.pasta));
    if (!painel.legivel) return "A pasta " + pasta + " não pôde ser lida.\n";
    std::string texto = "Terminais em " + pasta + " (" + std::to_string(painel.terminais.size()) +
                        " registros; silencioso após " + std::to_string(painel.opcoes.horasSilencio) + " h sem notícias)\n" +
                        Resumo(painel) + "\n";
    if (painel.terminais.empty()) return texto + "Nenhum terminal deixou registro nesta pasta.\n";
    texto += Celula("SITUAÇÃO", 12) + " " + Celula("TERMINAL", 30) + " " + Celula("USUÁRIO", 12) + " " +
             Celula("ÚLTIMO CONTATO", 19) + " " + Celula("VERSÃO", 7) + " DETALHE\n";
    for (const Terminal& t : painel.terminais) texto += Linha(t);
    return texto;
}

}  // namespace frota
