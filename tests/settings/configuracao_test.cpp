#include "settings/configuracao.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "settings_fixture.h"

using settings::CortaAposTag;
using settings::LerConfiguracao;

namespace {

class LerConfiguracaoTest : public settings_test::SettingsTest {
protected:
    settings::TConfigInstalacao read() { return LerConfiguracao(*system); }
};

// Records every key asked for, with its default, and answers from a fixed list.
class RecordingSystem : public platform::System {
public:
    std::vector<std::pair<std::string, std::string>> asked;  // key, default
    std::string file;
    std::string executablePath() override { return "C:\\Suite\\Bin\\Atualiza.exe"; }
    std::string currentDirectory() override { return "C:\\"; }
    std::optional<platform::Rect> workArea() override { return std::nullopt; }
    std::string profileString(const std::string& f, const std::string& section,
                              const std::string& key, const std::string& def) override {
        EXPECT_EQ(section, "QOR");
        file = f;
        asked.emplace_back(key, def);
        if (key == "Servidor") return "H";
        if (key == "Caminho_Base_Dados") return "C:\\QOR7\\";
        return def;
    }
};

}  // namespace

TEST(CortaAposTag, KeepsTheTextUpToTheFirstTagInUpperCase) {
    EXPECT_EQ(CortaAposTag("C:\\qor7\\"), "C:\\QOR7");
    EXPECT_EQ(CortaAposTag("S:\\Sistemas\\QOR7\\Dados\\"), "S:\\Sistemas\\QOR7");
    EXPECT_EQ(CortaAposTag("S:\\Dados\\"), "S:\\Dados\\");
    EXPECT_EQ(CortaAposTag("D:\\QOR70\\"), "D:\\QOR7");
    EXPECT_EQ(CortaAposTag("S:\\QOR7\\QOR7\\"), "S:\\QOR7");
    EXPECT_EQ(CortaAposTag("\\\\srv\\apps\\MeuQor7x\\"), "\\\\srv\\apps\\MeuQOR7");
    EXPECT_EQ(CortaAposTag(""), "");
    EXPECT_EQ(CortaAposTag("QOR"), "QOR");         // a partial tag at the end stays
    EXPECT_EQ(CortaAposTag("/dados/qOr7"), "/dados/QOR7");
    EXPECT_EQ(CortaAposTag("S:\\A\xC3\xA7\xC3\xA3o\\qor7\\x"), "S:\\A\xC3\xA7\xC3\xA3o\\QOR7");
}

TEST(LerConfiguracao, ReadsEveryKeyInOrderFromQorIniBesideTheExecutable) {
    RecordingSystem system;
    settings::TConfigInstalacao c = LerConfiguracao(system);
    EXPECT_EQ(system.file, "C:\\Suite\\Bin\\qor.ini");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Ano", ""},
        {"Servidor", ""},
        {"ServidorTabDef", "H"},  // the value read for Servidor
        {"SO_Servidor", "WINDOWS"},
        {"SO_ServidorTabDef", "WINDOWS"},
        {"Caminho_Base_Dados", ""},
        {"Caminho_TabDef", "C:\\QOR7\\"},  // the value read for Caminho_Base_Dados
        {"Diretorio_Servidor", ""},
        {"Diretorio_SSE", ""},
        {"DLLCON", "fbclient.dll"},
        {"PORTACON", "3050"},
        {"CaminhoDLLCON", "C:\\Arquivos de programas\\Firebird\\Firebird_2_1\\bin\\"},
    };
    EXPECT_EQ(system.asked, expected);
    EXPECT_EQ(c.ServidorTabDef, "H");
    EXPECT_EQ(c.RaizTabDef, "C:\\QOR7");
}

TEST_F(LerConfiguracaoTest, WithoutAFileEveryKeyTakesItsDefault) {
    settings::TConfigInstalacao c = read();
    EXPECT_EQ(system->lastFileRead, temp.folder() + "qor.ini");
    for (const std::string* empty : {&c.Ano, &c.Servidor, &c.ServidorTabDef, &c.Caminho_Base_Dados,
                                     &c.Caminho_TabDef, &c.Diretorio_Servidor, &c.Diretorio_SSE,
                                     &c.RaizBaseDados, &c.RaizTabDef, &c.RaizServidor})
        EXPECT_EQ(*empty, "");
    EXPECT_EQ(c.SO_Servidor, "WINDOWS");
    EXPECT_EQ(c.SO_ServidorTabDef, "WINDOWS");
    EXPECT_EQ(c.DLLCON, "fbclient.dll");
    EXPECT_EQ(c.PORTACON, "3050");
    EXPECT_EQ(c.CaminhoDLLCON, "C:\\Arquivos de programas\\Firebird\\Firebird_2_1\\bin\\");
    EXPECT_EQ(c.Conexao, "localhost/3050");
    EXPECT_EQ(c.ConexaoTabDef, "localhost/3050");
    EXPECT_EQ(c.Separador, "\\");
    EXPECT_EQ(c.SeparadorTabDef, "\\");
}

TEST_F(LerConfiguracaoTest, EmptyFileOrOtherSectionGivesDefaults) {
    for (const char* content : {"", "[OUTRA]\r\nServidor=h\r\nPORTACON=1\r\n"}) {
        temp.write("qor.ini", content);
        settings::TConfigInstalacao c = read();
        EXPECT_EQ(c.Servidor, "");
        EXPECT_EQ(c.PORTACON, "3050");
        EXPECT_EQ(c.Conexao, "localhost/3050");
    }
}

TEST_F(LerConfiguracaoTest, ServidorTabDefDefaultsToServidorButAnEmptyLineStaysEmpty) {
    writeIni("Servidor=H\r\n");
    settings::TConfigInstalacao absent = read();
    EXPECT_EQ(absent.Conexao, "H/3050");
    EXPECT_EQ(absent.ConexaoTabDef, "H/3050");

    writeIni("Servidor=H\r\nServidorTabDef=\r\n");
    settings::TConfigInstalacao empty = read();
    EXPECT_EQ(empty.Conexao, "H/3050");
    EXPECT_EQ(empty.ConexaoTabDef, "localhost/3050");

    writeIni("ServidorTabDef=T\r\nPORTACON=3051\r\n");
    settings::TConfigInstalacao onlyTabDef = read();
    EXPECT_EQ(onlyTabDef.Conexao, "localhost/3051");
    EXPECT_EQ(onlyTabDef.ConexaoTabDef, "T/3051");
}

TEST_F(LerConfiguracaoTest, OnlyUpperCaseLinuxSelectsTheSlash) {
    const std::pair<const char*, const char*> cases[] = {
        {"LINUX", "/"}, {"Linux", "\\"}, {"linux", "\\"}, {"WINDOWS", "\\"}, {"", "\\"}, {"LINUX2", "\\"}};
    for (auto [value, separator] : cases) {
        writeIni(std::string("SO_Servidor=") + value + "\r\nSO_ServidorTabDef=" + value + "\r\n");
        settings::TConfigInstalacao c = read();
        EXPECT_EQ(c.Separador, separator) << value;
        EXPECT_EQ(c.SeparadorTabDef, separator) << value;
    }
    writeIni("SO_Servidor=LINUX\r\n");
    EXPECT_EQ(read().SeparadorTabDef, "\\");  // each server has its own setting
}

TEST_F(LerConfiguracaoTest, RootsAreCutAfterTheProductTag) {
    writeIni("Caminho_Base_Dados=C:\\qor7\\\r\nDiretorio_Servidor=S:\\Sistemas\\QOR7\\Dados\\\r\n");
    settings::TConfigInstalacao c = read();
    EXPECT_EQ(c.Caminho_Base_Dados, "C:\\qor7\\");
    EXPECT_EQ(c.RaizBaseDados, "C:\\QOR7");
    EXPECT_EQ(c.RaizTabDef, "C:\\QOR7");
    EXPECT_EQ(c.RaizServidor, "S:\\Sistemas\\QOR7");

    writeIni("Caminho_TabDef=D:\\QOR70\\\r\nDiretorio_Servidor=S:\\Dados\\\r\n");
    c = read();
    EXPECT_EQ(c.RaizTabDef, "D:\\QOR7");
    EXPECT_EQ(c.RaizBaseDados, "");
    EXPECT_EQ(c.RaizServidor, "S:\\Dados\\");
}

TEST_F(LerConfiguracaoTest, ValuesAreTrimmedAndSectionCaseIgnored) {
    temp.write("qor.ini", "[qor]\r\nPORTACON= 3051 \r\nservidor = srv\r\nDLLCON=\"fb client.dll\"\r\n");
    settings::TConfigInstalacao c = read();
    EXPECT_EQ(c.PORTACON, "3051");
    EXPECT_EQ(c.Conexao, "srv/3051");
    EXPECT_EQ(c.ConexaoTabDef, "srv/3051");
    EXPECT_EQ(c.DLLCON, "fb client.dll");
}

TEST_F(LerConfiguracaoTest, EveryCallReadsTheFileAnew) {
    writeIni("Servidor=primeiro\r\n");
    EXPECT_EQ(read().Servidor, "primeiro");
    writeIni("Servidor=segundo\r\n");
    EXPECT_EQ(read().Servidor, "segundo");
    std::filesystem::remove(temp / "qor.ini");
    EXPECT_EQ(read().Servidor, "");
}
