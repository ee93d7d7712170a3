// Writing a state record: the fields in a fixed order, then the lists, cut to the size limit.
#include <algorithm>
#include <cstdio>

#include "frota/estado.h"
#include "frota/tempo.h"
#include "platform/text.h"

namespace frota {

namespace {

constexpr std::string_view kFimDeLinha = "\r\n";  // the share is read from Windows too
constexpr std::string_view kSubstituto = "\xEF\xBF\xBD";  // U+FFFD

// Valid UTF-8 on one line, at most kLimiteValor bytes, never a character cut in two: the
// reader refuses anything else.
std::string UmaLinha(std::string_view valor) {
    std::string linha;
    for (size_t i = 0; i < valor.size();) {
        const size_t n = platform::utf8CharLength(valor, i);
        const unsigned char c = static_cast<unsigned char>(valor[i]);
        const std::string_view caractere = (n == 1 && c >= 0x80) ? kSubstituto
                                           : (c < 0x20 || c == 0x7f) ? std::string_view(" ")
                                                                     : valor.substr(i, n);
        if (linha.size() + caractere.size() > kLimiteValor) break;
        linha += caractere;
        i += n;
    }
    return linha;
}

std::string Linha(std::string_view chave, std::string_view valor) {
    return std::string(chave) + "=" + UmaLinha(valor) + std::string(kFimDeLinha);
}

std::string Segundos(double segundos) {
    char texto[32];
    std::snprintf(texto, sizeof texto, "%.2f", segundos);
    return texto;
}

std::vector<Campo> Campos(const EstadoTerminal& e) {
    std::vector<Campo> campos = {{"comando", e.comando},       {"maquina", e.maquina},
                                 {"usuario", e.usuario},       {"pasta_programa", e.pastaPrograma},
                                 {"versao", e.versao},         {"compilacao", e.compilacao},
                                 {"inicio", HoraLocal(e.inicio)}, {"inicio_utc", HoraUtc(e.inicio)}};
    if (e.fim) campos.insert(campos.end(), {{"fim", HoraLocal(*e.fim)}, {"fim_utc", HoraUtc(*e.fim)}});
    campos.push_back({"situacao", NomeDaSituacao(e.situacao)});
    if (e.codigoSaida)
        campos.insert(campos.end(), {{"codigo_saida", std::to_string(*e.codigoSaida)},
                                     {"codigo_saida_significado", e.significadoCodigo}});
    if (!e.falha.empty()) campos.push_back({"falha", e.falha});
    campos.insert(campos.end(), {{"copiados", std::to_string(e.copiados)},
                                 {"copiados_bytes", std::to_string(e.bytesCopiados)},
                                 {"copiados_segundos", Segundos(e.segundosCopiando)},
                                 {"catalogo", e.catalogo}});
    if (e.catalogoTamanho) campos.push_back({"catalogo_tamanho", std::to_string(*e.catalogoTamanho)});
    if (e.catalogoHora) campos.push_back({"catalogo_data", HoraLocal(*e.catalogoHora)});
    campos.push_back({"catalogo_incompleto", e.catalogoIncompleto ? "sim" : "não"});
    campos.insert(campos.end(), e.adicionais.begin(), e.adicionais.end());
    return campos;
}

std::vector<Lista> Listas(const EstadoTerminal& e) {
    std::vector<Lista> listas = {{"modulos_antigos", "modulo_antigo", e.modulosAntigos},
                                 {"arquivos_atrasados", "arquivo_atrasado", e.arquivosAtrasados}};
    listas.insert(listas.end(), e.listasAdicionais.begin(), e.listasAdicionais.end());
    return listas;
}

// How many items of each list fit in `espaco` bytes, taken in turns so that one long list
// does not crowd out the others.
std::vector<size_t> ItensQueCabem(const std::vector<Lista>& listas, size_t espaco) {
    std::vector<size_t> cabem(listas.size(), 0);
    std::vector<bool> cheia(listas.size(), false);
    for (bool algum = true; algum;) {
        algum = false;
        for (size_t l = 0; l < listas.size(); ++l) {
            if (cheia[l] || cabem[l] >= listas[l].itens.size()) continue;
            const size_t tamanho = Linha(listas[l].chaveItem, listas[l].itens[cabem[l]]).size();
            if (tamanho > espaco) {
                cheia[l] = true;
                continue;
            }
            espaco -= tamanho;
            ++cabem[l];
            algum = true;
        }
    }
    return cabem;
}

}  // namespace

const char* NomeDaSituacao(Situacao situacao) {
    switch (situacao) {
        case Situacao::Normal: return "normal";
        case Situacao::Falha: return "falha";
        case Situacao::EmAndamento: break;
    }
    return "em andamento";
}

std::string TextoDoRegistro(const EstadoTerminal& estado) {
    const std::vector<Lista> listas = Listas(estado);
    std::vector<std::string> totais;
    size_t espaco = kLimiteRegistro - 1 - kAssinatura.size() - kFimDeLinha.size();
    for (const Lista& lista : listas) {
        totais.push_back(Linha(lista.chaveTotal, std::to_string(lista.itens.size())));
        espaco -= std::min(espaco, totais.back().size());
    }
    std::string texto = std::string(kAssinatura) + std::string(kFimDeLinha);
    for (const Campo& campo : Campos(estado)) {
        const std::string linha = Linha(campo.chave, campo.valor);
        if (linha.size() > espaco) continue;  // only hundreds of extra fields come this far
        texto += linha;
        espaco -= linha.size();
    }
    const std::vector<size_t> cabem = ItensQueCabem(listas, espaco);
    for (size_t l = 0; l < listas.size(); ++l) {
        texto += totais[l];
        for (size_t i = 0; i < cabem[l]; ++i) texto += Linha(listas[l].chaveItem, listas[l].itens[i]);
    }
    return texto;
}

}  // namespace frota
