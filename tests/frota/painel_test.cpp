// The shop's state read from a folder of records: each terminal in its group, worst first, and
// hostile files skipped and counted or shown harmlessly.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>

#include "frota/nome.h"
#include "frota/painel.h"
#include "platform/text.h"
#include "frota_fixture.h"

namespace {

using frota::Grupo;
using frota::Situacao;
using frota_test::Estado;

class Painel : public ::testing::Test {
protected:
    frota::Painel Le(int horas = 24) { return frota::LePainel(*pasta.files, pasta.Pasta(), {agora, horas}); }
    std::vector<std::pair<std::string, Grupo>> Grupos(const frota::Painel& painel) {
        std::vector<std::pair<std::string, Grupo>> grupos;
        for (const frota::Terminal& t : painel.terminais) grupos.emplace_back(t.maquina, t.grupo);
        return grupos;
    }
    frota_test::PastaTerminais pasta;
    const std::time_t agora = std::time(nullptr);
};

TEST_F(Painel, EachTerminalInItsGroupWorstFirstAndOldestNewsFirst) {
    pasta.Grava(Estado("EM-DIA"), agora - 60);
    frota::EstadoTerminal atrasado = Estado("ATRASADO", Situacao::Normal, 2);
    atrasado.arquivosAtrasados = {"VENDAS.EXE"};
    pasta.Grava(atrasado, agora - 120);
    frota::EstadoTerminal incompleto = Estado("INCOMPLETO");
    incompleto.catalogoIncompleto = true;
    pasta.Grava(incompleto, agora - 100);
    frota::EstadoTerminal falhou = Estado("FALHOU", Situacao::Falha, 1);
    falhou.falha = "MODULOS.DAT não pôde ser lido";
    pasta.Grava(falhou, agora - 60);
    pasta.Grava(Estado("NAO-INICIOU", Situacao::Normal, 4), agora - 30);
    pasta.Grava(Estado("ATUALIZANDO", Situacao::EmAndamento), agora - 5 * 60);
    pasta.Grava(Estado("MORREU", Situacao::EmAndamento), agora - 3 * 3600);
    pasta.Grava(Estado("SUMIU"), agora - 30 * 3600);

    const frota::Painel painel = Le();
    ASSERT_TRUE(painel.legivel);
    EXPECT_EQ(painel.ignorados, 0u);
    EXPECT_EQ(Grupos(painel), (std::vector<std::pair<std::string, Grupo>>{
                                  {"MORREU", Grupo::Falha}, {"FALHOU", Grupo::Falha}, {"NAO-INICIOU", Grupo::Falha},
                                  {"SUMIU", Grupo::Silencioso}, {"ATRASADO", Grupo::Atrasado},
                                  {"INCOMPLETO", Grupo::Atrasado}, {"ATUALIZANDO", Grupo::EmAndamento},
                                  {"EM-DIA", Grupo::EmDia}}));
    EXPECT_NE(painel.terminais[0].detalhe.find("nunca terminou"), std::string::npos);
    EXPECT_EQ(painel.terminais[1].detalhe, "MODULOS.DAT não pôde ser lido");
    EXPECT_NE(painel.terminais[3].detalhe.find("sem notícias há 30 h"), std::string::npos);
    EXPECT_EQ(painel.terminais[4].detalhe, "1 arquivo atrás do servidor: VENDAS.EXE");
    EXPECT_TRUE(painel.PedeAtencao());

    EXPECT_EQ(Le(48).Quantos(Grupo::Silencioso), 0u);  // another limit of silence
}

TEST_F(Painel, UpToDateUpdatingAndHeldBackNeedNoAttentionSilenceAndNeverSeenDo) {
    pasta.Grava(Estado("A"), agora - 60);
    pasta.Grava(Estado("B", Situacao::EmAndamento), agora - 60);
    frota::EstadoTerminal retido = Estado("RETIDO");
    retido.listasAdicionais.push_back({"arquivos_retidos", "arquivo_retido", {"VENDAS.EXE"}});
    pasta.Grava(retido, agora - 60);
    frota::EstadoTerminal voltou = Estado("VOLTOU");  // the step back's own record
    voltou.comando = "voltar";
    voltou.listasAdicionais.push_back({"arquivos_voltaram", "arquivo_voltou", {"QOR7.EXE"}});
    pasta.Grava(voltou, agora - 60);
    frota::Painel painel = Le();
    EXPECT_FALSE(painel.PedeAtencao());
    EXPECT_EQ(painel.Quantos(Grupo::Retido), 2u);
    EXPECT_NE(frota::TabelaDoPainel(painel).find("versão anterior: 2"), std::string::npos);
    EXPECT_FALSE(frota::LePainel(*pasta.files, pasta.Pasta() + "nao-existe", {agora, 24}).legivel);

    pasta.Grava(Estado("SUMIU"), agora - 25 * 3600);  // alone with terminals that are fine
    EXPECT_TRUE(Le().PedeAtencao());
    std::remove((pasta.Pasta() + frota::NomeDoRegistro("SUMIU", "C:\\QOR7\\")).c_str());
    pasta.GravaBytes(frota::kArquivoEsperados, "# caixas da loja\r\na\r\n  Caixa-09  \r\nretido\r\n", agora);
    painel = Le();
    EXPECT_EQ(Grupos(painel).front(), (std::pair<std::string, Grupo>{"Caixa-09", Grupo::NuncaVisto}));
    EXPECT_EQ(painel.terminais.size(), 5u);
    EXPECT_EQ(painel.ignorados, 0u);
    EXPECT_TRUE(painel.PedeAtencao());
}

TEST_F(Painel, WhenMostTerminalsWereNotHeardOfTodayThePageWarnsAtTheTop) {
    pasta.Grava(Estado("A"), agora - 60);
    pasta.Grava(Estado("B"), agora - 30 * 3600);
    EXPECT_TRUE(Le(48).PoucosDeramNoticia());  // one of two is not most
    pasta.Grava(Estado("C"), agora - 3600);
    const frota::Painel painel = Le(48);
    EXPECT_FALSE(painel.PoucosDeramNoticia());
    EXPECT_EQ(frota::PaginaDoPainel(painel).find("class=\"aviso\""), std::string::npos);
    pasta.Grava(Estado("D"), agora - 40 * 3600);
    EXPECT_NE(frota::TabelaDoPainel(Le(48)).find("ATENÇÃO: só 2 de 4 terminais deram notícia"), std::string::npos);
    EXPECT_NE(frota::PaginaDoPainel(Le(48)).find("class=\"aviso\""), std::string::npos);
}

TEST_F(Painel, TheShopsUpdatersPublicationsAndRenewalsAreCounted) {
    const auto grava = [&](const std::string& maquina, const std::string& versao, const std::string& publicacao,
                           const std::string& renovacao) {
        frota::EstadoTerminal e = Estado(maquina);
        e.versao = versao;
        e.compilacao = "b" + versao;
        if (!publicacao.empty()) e.adicionais.push_back({"publicacao", publicacao});
        if (!renovacao.empty()) e.adicionais.push_back({"renovacao", renovacao});
        pasta.Grava(e, agora - 60);
    };
    grava("A", "1.05", "7", "");
    grava("B", "1.06", "9", "tomada: 1.06 (b1.06)");
    grava("C", "1.06", "9", "");
    grava("D", "1.05", "9x", "recusada: o programa não traz a marca deste atualizador");
    grava("E", "1.05", "", "falhou: --simular não terminou em 30 s");
    const frota::Painel painel = Le();
    EXPECT_EQ(painel.Atualizadores(),
              (std::vector<std::pair<std::string, size_t>>{{"1.05 (b1.05)", 3}, {"1.06 (b1.06)", 2}}));
    EXPECT_EQ(painel.PublicacaoMaisRecente(), 9);
    EXPECT_EQ(painel.NaPublicacaoMaisRecente(), 2u);
    EXPECT_EQ(painel.RenovacoesComProblema(), 2u);
    const std::string tabela = frota::TabelaDoPainel(painel);
    EXPECT_NE(tabela.find("Publicação mais recente: 9, em 2 de 5 terminais"), std::string::npos) << tabela;
    EXPECT_NE(tabela.find("renovação do atualizador recusada: o programa"), std::string::npos) << tabela;
}

// However long and unbreakable its values, a record leaves every console line within 80
// columns, and the terminal is named by its machine as the record spells it.
TEST_F(Painel, TheTableFitsEightyColumnsAndNamesTheMachineReadably) {
    frota::EstadoTerminal longo = Estado(std::string(300, 'M'), Situacao::Falha, 1);
    longo.usuario = std::string(300, 'u');
    longo.versao = std::string(300, '9');
    longo.falha = std::string(400, 'x') + " " + std::string(70, 'y');
    longo.pastaPrograma = "C:\\" + std::string(400, 'p');
    pasta.Grava(longo, agora - 60);
    const std::string gerencia = pasta.Grava(Estado("GERÊNCIA-SALÃO"), agora - 479 * 3600);
    const std::string tabela = frota::TabelaDoPainel(Le());
    for (size_t inicio = 0, fim; inicio < tabela.size(); inicio = fim + 1) {
        fim = tabela.find('\n', inicio);
        EXPECT_LE(platform::utf8Length(tabela.substr(inicio, fim - inicio)), 80u) << tabela.substr(inicio, fim - inicio);
    }
    EXPECT_NE(tabela.find("GERÊNCIA-SALÃO"), std::string::npos) << tabela;
    EXPECT_EQ(tabela.find(gerencia.substr(0, gerencia.size() - 4)), std::string::npos) << tabela;
    EXPECT_NE(tabela.find("há 19 dias"), std::string::npos) << tabela;
    EXPECT_NE(tabela.find("…"), std::string::npos);
}

TEST_F(Painel, ACutListShowsHowManyMoreThereAre) {
    frota::EstadoTerminal e = Estado("MUITOS", Situacao::Normal, 2);
    e.arquivosAtrasados.assign(4000, std::string(60, 'x') + ".bpl");
    pasta.Grava(e, agora);
    const frota::Painel painel = Le();
    ASSERT_EQ(painel.terminais.size(), 1u);
    EXPECT_NE(painel.terminais[0].detalhe.find("4000 arquivos atrás do servidor"), std::string::npos);
    EXPECT_NE(painel.terminais[0].detalhe.find(" e mais 3990"), std::string::npos);
}

// Every tag and attribute of the page is one of the page's own; no script, no remote resource.
void EsperaPaginaInofensiva(const std::string& html) {
    const std::set<std::string> tags = {"!DOCTYPE", "html", "head", "meta", "title", "style", "body", "h1", "p",
                                        "div", "b", "table", "thead", "tbody", "tr", "th", "td", "br", "span", "h2"};
    const std::regex tag("<(/?)([^\\s>/]+)([^<>]*)>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator(); ++it) {
        EXPECT_TRUE(tags.count((*it)[2].str())) << (*it)[0].str();
        const std::string atributos = (*it)[3].str();
        EXPECT_TRUE(std::regex_match(atributos, std::regex("( (lang|charset|class|title)=\"[^\"<>]*\"| html)*")))
            << (*it)[0].str();
    }
    EXPECT_EQ(html.find("<script"), std::string::npos);
    const size_t estilo = html.find("<style>"), fimEstilo = html.find("</style>");
    ASSERT_NE(fimEstilo, std::string::npos);
    EXPECT_EQ(html.find("<style>", estilo + 1), std::string::npos);
    for (const char* remoto : {"url(", "@import", "expression("})
        EXPECT_EQ(html.substr(estilo, fimEstilo - estilo).find(remoto), std::string::npos) << remoto;
}

TEST_F(Painel, HostileRecordsAreSkippedAndCountedOrShownHarmlessly) {
    frota::EstadoTerminal marcacao = Estado("<script>alert(1)</script>", Situacao::Falha, 1);
    marcacao.usuario = "\" onmouseover=\"alert(1)";
    marcacao.pastaPrograma = "C:\\<img src=http://x/y.png>\\";
    marcacao.falha = "<style>@import url(http://x)</style>\xE2\x80\xAE" "exe.gnp";  // and a right-to-left override
    marcacao.versao = "<i>1.0</i>";
    marcacao.compilacao = "<u>b</u>";
    marcacao.adicionais = {{"renovacao", "recusada: <img src=x>"}, {"publicacao", "<b>9</b>"}};
    const std::string nomeMarcacao = pasta.Grava(marcacao, agora);
    const std::string assinatura = std::string(frota::kAssinatura) + "\r\n";
    pasta.GravaBytes("CONTROLE_00000001.txt", assinatura + "situacao=normal\r\nmaquina=\x1b]0;x\x07\r\n", agora);
    pasta.GravaBytes("GRANDE_00000002.txt", assinatura + std::string(20000, 'a'), agora);
    pasta.GravaBytes("LIXO_00000003.txt", std::string("\x00\xff\xfe\x89PNG\r\n\x1a\n", 11), agora);
    pasta.GravaBytes("SEM-SITUACAO_00000004.txt", assinatura + "maquina=X\r\n", agora);
    pasta.GravaBytes("leia-me.txt", "anotações do administrador", agora);
    // A record in one terminal's file that says it is another's: taken as its file's.
    pasta.Grava(Estado("B"), agora);
    pasta.GravaBytes("A_00000005.txt", frota::TextoDoRegistro(Estado("B", Situacao::Falha, 1)), agora);

    const frota::Painel painel = Le();
    EXPECT_EQ(painel.ignorados, 5u);
    ASSERT_EQ(painel.terminais.size(), 3u);
    EXPECT_EQ(painel.terminais[0].arquivo, "A_00000005.txt");
    EXPECT_TRUE(painel.terminais[0].deOutroNome);
    EXPECT_NE(painel.terminais[0].detalhe.find("outro arquivo"), std::string::npos);
    EXPECT_FALSE(painel.terminais[2].deOutroNome);
    EXPECT_EQ(painel.terminais[1].arquivo, nomeMarcacao);

    const std::string html = frota::PaginaDoPainel(painel);
    EsperaPaginaInofensiva(html);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(html.find("&quot; onmouseover=&quot;alert(1)"), std::string::npos);
    for (const char* campo : {"&lt;i&gt;1.0&lt;/i&gt;", "&lt;u&gt;b&lt;/u&gt;", "recusada: &lt;img src=x&gt;"})
        EXPECT_NE(html.find(campo), std::string::npos) << campo;
    EXPECT_EQ(html.find("\xE2\x80\xAE"), std::string::npos);
    const std::string tabela = frota::TabelaDoPainel(painel);
    EXPECT_EQ(tabela.find_first_of(std::string("\x1b\x07\r", 3)), std::string::npos);
    EXPECT_EQ(tabela.find("\xE2\x80\xAE"), std::string::npos);
    EXPECT_NE(tabela.find("arquivos ignorados: 5"), std::string::npos);
}

}  // namespace
