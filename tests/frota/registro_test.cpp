// A state record written and read back, and what the reader refuses.
#include <gtest/gtest.h>

#include "frota/estado.h"
#include "frota/leitura.h"

namespace {

frota::EstadoTerminal Exemplo() {
    frota::EstadoTerminal e;
    e.maquina = "CAIXA-01";
    e.usuario = "maria";
    e.pastaPrograma = "C:\\QOR7\\";
    e.versao = "1.05";
    e.compilacao = "abc";
    e.inicio = 1'765'000'000;
    e.fim = e.inicio + 42;
    e.situacao = frota::Situacao::Normal;
    e.codigoSaida = 2;
    e.significadoCodigo = "algum arquivo não foi atualizado";
    e.copiados = 3;
    e.bytesCopiados = 123456;
    e.modulosAntigos = {"VENDAS.EXE"};
    e.arquivosAtrasados = {"VENDAS.EXE", "pkBase.bpl"};
    e.catalogo = "//srv/QOR7/TABDEF/MODULOS.DAT";
    e.catalogoTamanho = 900;
    e.adicionais = {{"voltou_de", "1.04"}};
    return e;
}

TEST(RegistroDoTerminal, ReadsBackWhatWasWrittenWithItsListsAndExtraFields) {
    const std::string texto = frota::TextoDoRegistro(Exemplo());
    const auto lido = frota::LeRegistro(texto);
    ASSERT_TRUE(lido) << texto;
    EXPECT_EQ(lido->Valor("maquina"), "CAIXA-01");
    EXPECT_EQ(lido->Valor("pasta_programa"), "C:\\QOR7\\");
    EXPECT_EQ(lido->Valor("situacao"), "normal");
    EXPECT_EQ(lido->Valor("codigo_saida"), "2");
    EXPECT_EQ(lido->Valor("codigo_saida_significado"), "algum arquivo não foi atualizado");
    EXPECT_EQ(lido->Valor("copiados_bytes"), "123456");
    EXPECT_EQ(lido->Valor("catalogo_tamanho"), "900");
    EXPECT_EQ(lido->Valor("catalogo_incompleto"), "não");
    EXPECT_EQ(lido->Valor("voltou_de"), "1.04");
    EXPECT_EQ(lido->Valor("arquivos_atrasados"), "2");
    EXPECT_EQ(lido->Itens("arquivo_atrasado"), (std::vector<std::string>{"VENDAS.EXE", "pkBase.bpl"}));
    EXPECT_EQ(lido->Itens("modulo_antigo"), (std::vector<std::string>{"VENDAS.EXE"}));
    EXPECT_FALSE(lido->Valor("falha"));
    EXPECT_NE(texto.find("\r\nfim="), std::string::npos);  // CR LF: Notepad reads it
}

TEST(RegistroDoTerminal, ValuesStayOneLineOfValidTextWithinTheirLimit) {
    frota::EstadoTerminal e = Exemplo();
    e.falha = "linha 1\r\nlinha 2\x1b[31m\tfim";
    e.usuario = std::string("jos\xE9", 4);  // Windows-1252, not UTF-8
    e.maquina = std::string(600, 'x') + "ção";
    std::string longo = "a";
    for (int i = 0; i < 300; ++i) longo += "ã";  // cut between two characters, never inside one
    e.pastaPrograma = longo;
    const auto lido = frota::LeRegistro(frota::TextoDoRegistro(e));
    ASSERT_TRUE(lido);
    EXPECT_EQ(lido->Valor("falha"), "linha 1  linha 2 [31m fim");
    EXPECT_EQ(lido->Valor("usuario"), "jos\xEF\xBF\xBD");
    EXPECT_EQ(lido->Valor("maquina")->size(), frota::kLimiteValor);
    EXPECT_EQ(*lido->Valor("pasta_programa"), longo.substr(0, frota::kLimiteValor - 1));
}

TEST(RegistroDoTerminal, LongListsAreCutUnderTheLimitKeepingTheirCountsAndRoomForEachList) {
    frota::EstadoTerminal e = Exemplo();
    e.arquivosAtrasados.assign(5000, std::string(200, 'a') + ".bpl");
    e.modulosAntigos.assign(3000, std::string(100, 'M') + ".EXE");
    e.listasAdicionais = {{"retidos", "retido", {"QOR7.EXE"}}};
    const std::string texto = frota::TextoDoRegistro(e);
    EXPECT_LT(texto.size(), frota::kLimiteRegistro);
    const auto lido = frota::LeRegistro(texto);
    ASSERT_TRUE(lido);
    EXPECT_EQ(lido->Valor("arquivos_atrasados"), "5000");
    EXPECT_EQ(lido->Valor("modulos_antigos"), "3000");
    EXPECT_GT(lido->Itens("arquivo_atrasado").size(), 20u);
    EXPECT_GT(lido->Itens("modulo_antigo").size(), 20u);
    EXPECT_EQ(lido->Itens("retido"), (std::vector<std::string>{"QOR7.EXE"}));
    EXPECT_GT(texto.size(), frota::kLimiteRegistro - 300);  // the room was used
}

TEST(RegistroDoTerminal, AnythingButExactlyARecordIsRefusedWhole) {
    const std::string bom = frota::TextoDoRegistro(Exemplo());
    const std::string assinatura = std::string(frota::kAssinatura) + "\r\n";
    EXPECT_TRUE(frota::LeRegistro("\xEF\xBB\xBF" + bom));  // saved again by Notepad
    EXPECT_TRUE(frota::LeRegistro(assinatura + "\nmaquina=A\n"));  // LF only, empty lines
    const std::vector<std::string> recusados = {
        "",
        "maquina=A\r\n",                                // no signature
        "x" + bom,                                      // the signature not the first line
        assinatura + "sem igual\r\n",                   // a line without "="
        assinatura + "Maquina=A\r\n",                   // keys are lower case
        assinatura + "=A\r\n",
        assinatura + "maquina=A\rB\r\n",                // a lone carriage return
        assinatura + std::string("maquina=A\0B\r\n", 13),  // a zero byte
        assinatura + "maquina=\x1b[2J\r\n",             // a terminal escape
        assinatura + "maquina=\xC3\r\n",                // a cut UTF-8 sequence
        assinatura + "maquina=\xC0\xAF\r\n",            // an overlong "/"
        assinatura + "maquina=" + std::string(frota::kLimiteRegistro, 'a') + "\r\n",
    };
    for (const std::string& texto : recusados) EXPECT_FALSE(frota::LeRegistro(texto)) << texto;
}

}  // namespace
