// The fleet's page, index.html in the TERMINAIS folder: one static file that any browser opens
// from the share. No script, no font or picture from elsewhere; every field from a record escaped,
// wrapped or cut, so that no record pushes the page past the width of the window.
#include "frota/painel.h"
#include "frota/tempo.h"
#include "frota/texto_seguro.h"
#include "platform/text.h"

namespace frota {

namespace {

const char* kEstilo = R"(<style>
body{font-family:"Segoe UI",Tahoma,Arial,sans-serif;margin:18px;color:#222;background:#f3f4f6;overflow-wrap:anywhere}
h1{font-size:21px;margin:0 0 4px}
h2{font-size:16px;margin:18px 0 6px}
h2 span{font-weight:normal;color:#555;font-size:13px}
p.sub,p.versoes{margin:0 0 10px;color:#555;font-size:13px}
.aviso{background:#fff8e1;border:2px solid #f9a825;padding:8px 12px;margin:0 0 12px;font-size:14px}
.resumo{display:flex;flex-wrap:wrap;gap:8px;margin-bottom:12px}
.caixa{padding:8px 16px;border-radius:5px;color:#fff;font-size:13px;min-width:104px}
.caixa b{display:block;font-size:24px}
.caixa.falha{background:#c62828}.caixa.silencioso{background:#5d4037}.caixa.nuncavisto{background:#6a1b9a}
.caixa.atrasado{background:#e65100}.caixa.retido{background:#00838f}.caixa.andamento{background:#1565c0}
.caixa.emdia{background:#2e7d32}.caixa.ignorados,.caixa.renovacao{background:#757575}
table{border-collapse:collapse;width:100%;table-layout:fixed;background:#fff;font-size:13px}
th{background:#37474f;color:#fff;text-align:left;padding:6px 8px;font-weight:600}
th.terminal{width:13%}th.usuario{width:8%}th.pasta{width:12%}th.contato,th.sucesso{width:10%}
th.atualizador{width:10%}th.publicacao{width:8%}
td{padding:5px 8px;border-bottom:1px solid #ddd;vertical-align:top;word-break:break-word}
td.sit{font-weight:600;border-left:7px solid}
tr.falha{background:#ffebee}tr.falha td.sit{border-color:#c62828;color:#b71c1c}
tr.silencioso{background:#efebe9}tr.silencioso td.sit{border-color:#5d4037;color:#4e342e}
tr.nuncavisto{background:#f3e5f5}tr.nuncavisto td.sit{border-color:#6a1b9a;color:#4a148c}
tr.atrasado{background:#fff3e0}tr.atrasado td.sit{border-color:#e65100;color:#bf360c}
tr.retido{background:#e0f7fa}tr.retido td.sit{border-color:#00838f;color:#006064}
tr.andamento{background:#e3f2fd}tr.andamento td.sit{border-color:#1565c0;color:#0d47a1}
tr.emdia td.sit{border-color:#2e7d32;color:#1b5e20}
.arq,.peq{color:#777;font-size:11px;font-weight:normal}
.antiga{color:#bf360c;font-weight:600}
</style>
)";

// The longest text a cell shows; the whole value stays in the cell's title.
constexpr size_t kCampo = 80, kPasta = 40, kDetalhe = 300;

const char* Classe(Grupo grupo) {
    switch (grupo) {
        case Grupo::Falha: return "falha";
        case Grupo::Silencioso: return "silencioso";
        case Grupo::NuncaVisto: return "nuncavisto";
        case Grupo::Atrasado: return "atrasado";
        case Grupo::Retido: return "retido";
        case Grupo::EmAndamento: return "andamento";
        case Grupo::EmDia: break;
    }
    return "emdia";
}

std::string Plural(size_t n, const std::string& singular, const std::string& plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

// The text, escaped, cut at `limite` characters with "…".
std::string Curto(const std::string& texto, size_t limite) {
    const std::string visivel = TextoVisivel(texto);
    if (platform::utf8Length(visivel) <= limite) return EscapaHtml(visivel);
    return EscapaHtml(platform::utf8Slice(visivel, 1, limite - 1)) + "…";
}

// A cell that shows at most `limite` characters and keeps the whole value in its title when cut.
std::string Td(const std::string& texto, size_t limite = kCampo, const std::string& classe = "") {
    const std::string abre = classe.empty() ? "<td" : "<td class=\"" + classe + "\"";
    const bool cortado = platform::utf8Length(TextoVisivel(texto)) > limite;
    return abre + (cortado ? " title=\"" + EscapaHtml(texto) + "\">" : ">") + Curto(texto, limite) + "</td>";
}

std::string Caixa(const char* classe, size_t quantos, const std::string& rotulo) {
    return "<div class=\"caixa " + std::string(classe) + "\"><b>" + std::to_string(quantos) + "</b>" +
           EscapaHtml(rotulo) + "</div>\n";
}

std::string Resumo(const Painel& painel) {
    std::string html = "<div class=\"resumo\">\n";
    for (Grupo grupo : kGrupos) html += Caixa(Classe(grupo), painel.Quantos(grupo), NomeDoGrupo(grupo));
    if (const size_t renovacoes = painel.RenovacoesComProblema())
        html += Caixa("renovacao", renovacoes, "renovação recusada ou com falha");
    return html + Caixa("ignorados", painel.ignorados, "arquivos ignorados") + "</div>\n";
}

std::string Versoes(const Painel& painel) {
    std::string html;
    const auto atualizadores = painel.Atualizadores();
    if (!atualizadores.empty()) {
        html += "<p class=\"versoes\">Atualizador:";
        for (size_t i = 0; i < atualizadores.size(); ++i)
            html += std::string(i ? "; " : " ") + "<b>" + Curto(atualizadores[i].first, kCampo) + "</b> em " +
                    Plural(atualizadores[i].second, "terminal", "terminais");
        html += "</p>\n";
    }
    if (const auto publicacao = painel.PublicacaoMaisRecente())
        html += "<p class=\"versoes\">Publicação mais recente: <b>" + std::to_string(*publicacao) + "</b>, em " +
                std::to_string(painel.NaPublicacaoMaisRecente()) + " de " +
                Plural(painel.terminais.size(), "terminal", "terminais") + "</p>\n";
    return html;
}

std::string Aviso(const Painel& painel) {
    if (!painel.PoucosDeramNoticia()) return {};
    return "<div class=\"aviso\"><b>Atenção:</b> só " + std::to_string(painel.OuvidosNoUltimoDia()) + " de " +
           Plural(painel.terminais.size(), "terminal deu", "terminais deram") +
           " notícia nas últimas 24 horas: o compartilhamento ou a pasta TERMINAIS pode estar inacessível para os "
           "terminais.</div>\n";
}

std::string Quando(const Painel& painel, const std::optional<std::time_t>& hora, const char* semHora) {
    if (!hora) return "<td>" + std::string(semHora) + "</td>";
    return "<td>" + HoraLocal(*hora) + "<br><span class=\"peq\">" + HaQuanto(painel.opcoes.agora, *hora) + "</span></td>";
}

std::string Publicacao(const Painel& painel, const Terminal& t) {
    if (!t.publicacao) return "<td>-</td>";
    const auto maior = painel.PublicacaoMaisRecente();
    if (t.publicacao == maior) return "<td>" + std::to_string(*t.publicacao) + "</td>";
    return "<td class=\"antiga\" title=\"a mais recente é " + std::to_string(*maior) + "\">" +
           std::to_string(*t.publicacao) + "</td>";
}

std::string Linha(const Painel& painel, const Terminal& t) {
    const std::string arquivo = t.arquivo.empty() ? "" : "<br><span class=\"arq\">" + Curto(t.arquivo, kCampo) + "</span>";
    return "<tr class=\"" + std::string(Classe(t.grupo)) + "\"><td class=\"sit\">" + Curto(t.maquina, kCampo) + arquivo +
           "</td>" + Td(t.usuario) + Td(platform::pathForDisplay(t.pasta), kPasta) +
           Quando(painel, t.contato, t.arquivo.empty() ? "nunca" : "?") + Quando(painel, t.ultimoSucesso, "-") +
           "<td>" + Curto(t.versao, kCampo) + (t.compilacao.empty() ? "" : "<br><span class=\"peq\">" + Curto(t.compilacao, kCampo) + "</span>") +
           "</td>" + Publicacao(painel, t) + Td(t.detalhe, kDetalhe) + "</tr>\n";
}

std::string Tabela(const Painel& painel, Grupo grupo) {
    std::string html = "<h2>" + std::string(NomeDoGrupo(grupo)) + " (" + std::to_string(painel.Quantos(grupo)) +
                       ") <span>" + EscapaHtml(AcaoDoGrupo(grupo)) + "</span></h2>\n"
                       "<table>\n<thead><tr><th class=\"terminal\">Terminal</th><th class=\"usuario\">Usuário</th>"
                       "<th class=\"pasta\">Pasta</th><th class=\"contato\">Último contato</th><th class=\"sucesso\">"
                       "Último sucesso</th><th class=\"atualizador\">Atualizador</th><th class=\"publicacao\">Publicação"
                       "</th><th>Detalhe</th></tr></thead>\n<tbody>\n";
    for (const Terminal& t : painel.terminais)
        if (t.grupo == grupo) html += Linha(painel, t);
    return html + "</tbody>\n</table>\n";
}

std::string Tabelas(const Painel& painel) {
    if (painel.terminais.empty()) return "<p>Nenhum terminal deixou registro nesta pasta.</p>\n";
    std::string html;
    for (Grupo grupo : kGrupos)
        if (painel.Quantos(grupo)) html += Tabela(painel, grupo);
    return html;
}

}  // namespace

std::string PaginaDoPainel(const Painel& painel) {
    return "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>Terminais: estado da atualização</title>\n" +
           std::string(kEstilo) + "</head>\n<body>\n<h1>Terminais: estado da atualização</h1>\n<p class=\"sub\">" +
           EscapaHtml(platform::pathForDisplay(painel.pasta)) + " · " +
           Plural(painel.terminais.size(), "terminal", "terminais") + " · gerada em " + HoraLocal(painel.opcoes.agora) +
           " · silencioso após " + std::to_string(painel.opcoes.horasSilencio) + " h sem notícias</p>\n" + Aviso(painel) +
           Resumo(painel) + Versoes(painel) + Tabelas(painel) + "</body>\n</html>\n";
}

}  // namespace frota
