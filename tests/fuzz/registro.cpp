// The fleet's state records against references of their own: the reader accepts exactly what a
// plain reading of the format accepts and finds the same fields; whatever a terminal puts in its
// state is read back as the reference's one-line, bounded, valid text; the page's escaping leaves
// no markup and loses nothing but what it must; the record's name is always a plain file name.
#include <algorithm>
#include <map>
#include <optional>

#include "frota/estado.h"
#include "frota/leitura.h"
#include "frota/nome.h"
#include "frota/painel.h"
#include "frota/texto_seguro.h"
#include "fuzz_support.h"

namespace {

using Campos = std::vector<std::pair<std::string, std::string>>;

bool KeyChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; }

// The format read plainly: lines split at LF (one CR before it dropped), the signature first,
// then empty lines or key=value, no control byte left anywhere, well-formed UTF-8 throughout.
std::optional<Campos> ReferenceRead(std::string_view bytes) {
    if (bytes.size() > frota::kLimiteRegistro) return std::nullopt;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<std::string> lines(1);
    for (char c : bytes) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    if (lines.back().empty()) lines.pop_back();
    Campos campos;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (line.ends_with('\r')) line.pop_back();
        if (i == 0) {
            if (line != frota::kAssinatura) return std::nullopt;
            continue;
        }
        if (line.empty()) continue;
        if (!fuzz::IsWellFormedUtf8(line)) return std::nullopt;
        for (unsigned char c : line)
            if (c < 0x20 || c == 0x7f) return std::nullopt;
        const size_t eq = line.find('=');
        if (eq == 0 || eq == std::string::npos) return std::nullopt;
        if (!std::all_of(line.begin(), line.begin() + static_cast<long>(eq), KeyChar)) return std::nullopt;
        campos.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    if (lines.empty()) return std::nullopt;
    return campos;
}

// A value as the record must keep it: each character of the Unicode reading, invalid bytes as
// U+FFFD and control characters as blanks, as many whole characters as fit in kLimiteValor bytes.
std::string ReferenceValue(std::string_view value) {
    std::string out;
    for (std::string_view c : fuzz::ReferenceCharacters(value)) {
        std::string one(c);
        if (c.size() == 1 && static_cast<unsigned char>(c[0]) >= 0x80) one = "\xEF\xBF\xBD";
        else if (c.size() == 1 && (static_cast<unsigned char>(c[0]) < 0x20 || c[0] == 0x7f)) one = " ";
        if (out.size() + one.size() > frota::kLimiteValor) break;
        out += one;
    }
    return out;
}

void CheckReader(std::string_view bytes) {
    const std::optional<Campos> expected = ReferenceRead(bytes);
    const std::optional<frota::RegistroLido> got = frota::LeRegistro(bytes);
    FUZZ_CHECK(got.has_value() == expected.has_value(), fuzz::Visible(bytes.substr(0, 200)));
    if (!got) return;
    Campos campos;
    for (const frota::Campo& c : got->Campos()) campos.emplace_back(c.chave, c.valor);
    FUZZ_CHECK(campos == *expected, fuzz::Visible(bytes.substr(0, 200)));
}

// Whatever a record holds, the console's table keeps every line within 80 columns.
void CheckTable(const std::string& nome, const frota::RegistroLido& lido) {
    frota::Painel painel;
    painel.legivel = true;
    painel.opcoes = {1800000000, 24};
    const std::optional<frota::Terminal> t = frota::Classifica(nome, lido, 1799990000, painel.opcoes);
    FUZZ_CHECK(t.has_value(), nome);
    painel.terminais.push_back(*t);
    const std::string tabela = frota::TabelaDoPainel(painel);
    for (std::string_view rest = tabela; !rest.empty();) {
        const auto [line, after] = fuzz::SplitAt(rest, '\n');
        FUZZ_CHECK(fuzz::ReferenceCharacters(line).size() <= 80, fuzz::Visible(line));
        rest = after;
    }
}

void CheckWriter(const std::vector<std::string_view>& parts) {
    auto part = [&](size_t i) { return i < parts.size() ? std::string(parts[i]) : std::string(); };
    frota::EstadoTerminal e;
    e.maquina = part(0), e.pastaPrograma = part(1), e.falha = part(2), e.usuario = part(3);
    e.versao = part(3), e.compilacao = part(1);
    e.adicionais = {{"renovacao", "recusada: " + part(2)}, {"publicacao", part(0)}};
    e.situacao = frota::Situacao::Falha;
    for (size_t i = 4; i < parts.size(); ++i) (i % 2 ? e.modulosAntigos : e.arquivosAtrasados).emplace_back(parts[i]);
    const std::string texto = frota::TextoDoRegistro(e);
    FUZZ_CHECK(texto.size() < frota::kLimiteRegistro, std::to_string(texto.size()));
    const std::optional<frota::RegistroLido> lido = frota::LeRegistro(texto);
    FUZZ_CHECK(lido.has_value(), fuzz::Visible(texto.substr(0, 300)));
    FUZZ_CHECK(lido->Valor("maquina") == ReferenceValue(e.maquina), fuzz::Visible(e.maquina));
    FUZZ_CHECK(lido->Valor("pasta_programa") == ReferenceValue(e.pastaPrograma), fuzz::Visible(e.pastaPrograma));
    FUZZ_CHECK(lido->Valor("usuario") == ReferenceValue(e.usuario), fuzz::Visible(e.usuario));
    FUZZ_CHECK(e.falha.empty() || lido->Valor("falha") == ReferenceValue(e.falha), fuzz::Visible(e.falha));
    for (auto [total, item, list] : {std::tuple{"modulos_antigos", "modulo_antigo", &e.modulosAntigos},
                                     std::tuple{"arquivos_atrasados", "arquivo_atrasado", &e.arquivosAtrasados}}) {
        FUZZ_CHECK(lido->Valor(total) == std::to_string(list->size()), total);
        const std::vector<std::string> items = lido->Itens(item);
        FUZZ_CHECK(items.size() <= list->size(), item);
        for (size_t i = 0; i < items.size(); ++i) FUZZ_CHECK(items[i] == ReferenceValue((*list)[i]), item);
    }
    const std::string nome = frota::NomeDoRegistro(e.maquina, e.pastaPrograma);
    FUZZ_CHECK(frota::EhNomeDeRegistro(nome) && nome.find_first_of("/\\:.~") == nome.size() - 4, nome);
    CheckTable(nome, *lido);
}

// What a browser would show for escaped text, read back by a reference of the five entities.
std::optional<std::string> Unescape(std::string_view html) {
    static const std::map<std::string, char> kEntities = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string out;
    for (size_t i = 0; i < html.size();) {
        if (html[i] != '&') {
            out += html[i++];
            continue;
        }
        const size_t end = html.find(';', i);
        if (end == std::string_view::npos) return std::nullopt;
        const auto found = kEntities.find(std::string(html.substr(i, end - i + 1)));
        if (found == kEntities.end()) return std::nullopt;
        out += found->second;
        i = end + 1;
    }
    return out;
}

void CheckEscaping(std::string_view bytes) {
    const std::string visible = frota::TextoVisivel(bytes);
    FUZZ_CHECK(fuzz::IsWellFormedUtf8(visible), fuzz::Visible(bytes));
    const auto characters = fuzz::ReferenceCharacters(bytes);
    FUZZ_CHECK(fuzz::ReferenceCharacters(visible).size() == characters.size(), fuzz::Visible(bytes));
    for (unsigned char c : visible) FUZZ_CHECK(c >= 0x20 && c != 0x7f, fuzz::Visible(bytes));
    // Characters that show as themselves stay as they were.
    for (std::string_view c : characters)
        if (c.size() == 1 && c[0] >= 0x20 && c[0] < 0x7f) FUZZ_CHECK(visible.find(c) != std::string::npos, fuzz::Visible(bytes));
    const std::string html = frota::EscapaHtml(bytes);
    FUZZ_CHECK(html.find_first_of("<>\"'") == std::string::npos, fuzz::Visible(bytes));
    FUZZ_CHECK(Unescape(html) == visible, fuzz::Visible(bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 3 * frota::kLimiteRegistro) return 0;
    const std::string_view bytes = fuzz::AsText(data, size);
    CheckReader(bytes);
    // The same bytes as a record's body, so that the reader meets mostly well-formed records too.
    CheckReader(std::string(frota::kAssinatura) + "\r\n" + std::string(bytes));
    std::vector<std::string_view> parts;
    for (std::string_view rest = bytes; !rest.empty();) {
        const auto [part, after] = fuzz::SplitAt(rest, '\0');
        parts.push_back(part);
        rest = after;
    }
    CheckWriter(parts);
    CheckEscaping(bytes);
    return 0;
}
