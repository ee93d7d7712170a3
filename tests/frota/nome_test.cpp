// A record's file name never leads outside the folder, never names a device, and tells two
// installations apart.
#include <gtest/gtest.h>

#include "frota/nome.h"

namespace {

TEST(NomeDoRegistro, HostileMachineNamesGiveABoundedPlainFileName) {
    const std::vector<std::string> maquinas = {
        "CAIXA-01", "../../etc/passwd", "..\\..\\WINDOWS", "C:\\x", "\\\\srv\\share", "CON", "nul", "com1", "LPT9",
        "", "...", "~tmp", "caixa.txt", std::string(300, 'A'), "ÇAIXA-JOÃO", std::string("a\0b", 3), "a:b*c?d|e\"f<g>"};
    for (const std::string& maquina : maquinas) {
        const std::string nome = frota::NomeDoRegistro(maquina, "C:\\QOR7\\");
        EXPECT_TRUE(frota::EhNomeDeRegistro(nome)) << nome;
        EXPECT_EQ(nome.find_first_of("/\\:*?\"<>|~. "), nome.size() - 4) << nome;  // only the extension's dot
        EXPECT_LE(nome.size(), frota::kLimiteNomeMaquina + 1 + 8 + 4) << nome;
        // Windows takes a name as a device by what comes before its first dot.
        const std::string base = nome.substr(0, nome.find('.'));
        for (const char* dispositivo : {"CON", "PRN", "AUX", "NUL", "COM1", "LPT9"}) EXPECT_NE(base, dispositivo);
    }
    EXPECT_EQ(frota::NomeDoRegistro("", "C:\\QOR7\\").substr(0, 9), "TERMINAL_");
    EXPECT_EQ(frota::NomeDoRegistro("caixa-01", "x").substr(0, 9), "CAIXA-01_");
}

TEST(NomeDoRegistro, OneInstallationOneNameTwoInstallationsTwo) {
    const std::string nome = frota::NomeDoRegistro("CAIXA", "C:\\QOR7\\");
    EXPECT_EQ(frota::NomeDoRegistro("caixa", "c:/qor7/"), nome);  // case and separators do not matter
    EXPECT_NE(frota::NomeDoRegistro("CAIXA", "D:\\QOR7\\"), nome);
    EXPECT_NE(frota::NomeDoRegistro("CAIXA", "C:\\QOR7\\TESTE\\"), nome);
}

TEST(NomeDoRegistro, OnlyThatFormIsARecordsName) {
    EXPECT_TRUE(frota::EhNomeDeRegistro("CAIXA-01_0123abcd.txt"));
    EXPECT_TRUE(frota::EhNomeDeRegistro("CAIXA-01_0123abcd.TXT"));
    for (const char* outro : {"index.html", "leia-me.txt", "CAIXA_0123ABCD.txt", "CAIXA_0123abc.txt", "_0123abcd.txt",
                              "CA.XA_0123abcd.txt", "~CAIXA_0123abcd.txt.0123abcd.tmp", "CAIXA_0123abcd.txt.bak"})
        EXPECT_FALSE(frota::EhNomeDeRegistro(outro)) << outro;
}

}  // namespace
