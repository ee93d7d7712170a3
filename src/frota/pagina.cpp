// The fleet's page, index.html in the TERMINAIS folder: one static file that any browser opens
// from the share. No script, no font or picture from elsewhere; every field from a record escaped.
#include "frota/painel.h"
#include "frota/tempo.h"
#include "frota/texto_seguro.h"
#include "platform/text.h"

namespace frota {

namespace {

const char* kEstilo = R"(<style>
body{font-family:"Segoe UI",Tahoma,Arial,sans-serif;margin:18px;color:#222;background:#f3f4f6}
h1{font-size:21px;margin:0 0 4px}
p.sub{margin:0 0 14px;color:#555;font-size:13px}
.resumo{display:flex;flex-wrap:wrap;gap:8px;margin-bottom:16px}
.caixa{padding:8px 16px;border-radius:5px;color:#fff;font-size:13px;min-width:104px}
.caixa b{display:block;font-size:24px}
.caixa.falha{background:#c62828}.caixa.silencioso{background:#5d4037}.caixa.atrasado{background:#e65100}
.caixa.andamento{background:#1565c0}.caixa.emdia{background:#2e7d32}.caixa.ignorados{background:#757575}
table{border-collapse:collapse;width:100%;background:#fff;font-size:13px}
th{background:#37474f;color:#fff;text-align:left;padding:6px 8px;font-weight:600}
td{padding:5px 8px;border-bottom:1px solid #ddd;vertical-align:top}
td.sit{font-weight:600;white-space:nowrap;border-left:7px solid}
td.hora{white-space:nowrap}
tr.falha{background:#ffebee}tr.falha td.sit{border-color:#c62828;color:#b71c1c}
tr.silencioso{background:#efebe9}tr.silencioso td.sit{border-color:#5d4037;color:#4e342e}
tr.atrasado{background:#fff3e0}tr.atrasado td.sit{border-color:#e65100;color:#bf360c}
tr.andamento{background:#e3f2fd}tr.andamento td.sit{border-color:#1565c0;color:#0d47a1}
tr.emdia td.sit{border-color:#2e7d32;color:#1b5e20}
.arq{color:#777;font-size:11px}
</style>
)";

const char* Classe(Grupo grupo) {
    switch (grupo) {
        case Grupo::Falha: return "falha";
        case Grupo::Silencioso: return "silencioso";
        case Grupo::Atrasado: return "atrasado";
        case Grupo::EmAndamento: return "andamento";
        case Grupo::EmDia: break;
    }
    return "emdia";
}

std::string Caixa(const char* classe, size_t quantos, const std::string& rotulo) {
    return "<div class=\"caixa " + std::string(classe) + "\"><b>" + std::to_string(quantos) + "</b>" +
           EscapaHtml(rotulo) + "</div>\n";
}

std::string Resumo(const Painel& painel) {
    std::string html = "<div class=\"resumo\">\n";
    for (Grupo grupo : kGrupos) html += Caixa(Classe(grupo), painel.Quantos(grupo), NomeDoGrupo(grupo));
    return html + Caixa("ignorados", painel.ignorados, "arquivos ignorados") + "</div>\n";
}

std::string Td(const std::string& texto) { return "<td>" + EscapaHtml(texto) + "</td>"; }

std::string Linha(const Terminal& t) {
    return "<tr class=\"" + std::string(Classe(t.grupo)) + "\"><td class=\"sit\">" + NomeDoGrupo(t.grupo) + "</td>" +
           "<td>" + EscapaHtml(t.maquina) + "<br><span class=\"arq\">" + EscapaHtml(t.arquivo) + "</span></td>" +
           Td(t.usuario) + "<td title=\"" + EscapaHtml(t.pasta) + "\">" + EscapaHtml(platform::utf8Slice(t.pasta, 1, 40)) +
           "</td><td class=\"hora\">" + (t.contato ? HoraLocal(*t.contato) : "?") + "</td>" + Td(t.versao) +
           Td(t.detalhe) + "</tr>\n";
}

std::string Tabela(const Painel& painel) {
    if (painel.terminais.empty()) return "<p>Nenhum terminal deixou registro nesta pasta.</p>\n";
    std::string html = "<table>\n<thead><tr><th>Situação</th><th>Terminal</th><th>Usuário</th><th>Pasta</th>"
                       "<th>Último contato</th><th>Versão</th><th>Detalhe</th></tr></thead>\n<tbody>\n";
    for (const Terminal& t : painel.terminais) html += Linha(t);
    return html + "</tbody>\n</table>\n";
}

}  // namespace

std::string PaginaDoPainel(const Painel& painel) {
    return "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<title>Terminais: estado da atualização</title>\n" +
           std::string(kEstilo) + "</head>\n<body>\n<h1>Terminais: estado da atualização</h1>\n<p class=\"sub\">" +
           EscapaHtml(platform::pathForDisplay(painel.pasta)) + " · " + std::to_string(painel.terminais.size()) +
           " terminais · gerada em " + HoraLocal(painel.opcoes.agora) + " · silencioso após " +
           std::to_string(painel.opcoes.horasSilencio) + " h sem notícias</p>\n" + Resumo(painel) + Tabela(painel) +
           "</body>\n</html>\n";
}

}  // namespace frota
