#include "settings/retorna_caminho.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "settings_fixture.h"

using settings::ConversionError;
using settings::PathError;

namespace {

using Cases = std::vector<std::pair<std::string, std::string>>;  // code, result

class RetornaCaminhoTest : public settings_test::SettingsTest {
protected:
    void expectResults(const Cases& cases) const {
        for (const auto& [code, expected] : cases) EXPECT_EQ(resolve(code), expected) << code;
    }
    template <class Error>
    std::string messageOf(const std::string& code) const {
        try {
            resolve(code);
        } catch (const Error& error) {
            return error.what();
        }
        ADD_FAILURE() << code << " did not fail";
        return {};
    }
    size_t entriesInTemp() const {
        size_t n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::recursive_directory_iterator(temp.path())) ++n;
        return n;
    }
};

const std::string kCannotCreate = "Não é possível criar o diretório: ";

}  // namespace

TEST_F(RetornaCaminhoTest, WithoutSettingsFile) {
    expectResults({
        {"DLLFB", "C:\\Arquivos de programas\\Firebird\\Firebird_2_1\\bin\\fbclient.dll"},
        {"CDLLFB", "C:\\Arquivos de programas\\Firebird\\Firebird_2_1\\bin\\"},
        {"PORTA", "3050"},
        {"SRV", "localhost/3050"},
        {"EXE", "\\"},
        {"TD", "\\TABDEF\\"},
        {"B", "localhost/3050:SGB_DADOS\\"},
    });
}

TEST_F(RetornaCaminhoTest, CodeCaseIsIgnoredButBlanksAreNot) {
    writeIni("Servidor=H\r\nDiretorio_Servidor=S:\\Sistemas\\QOR7\\\r\n");
    for (const char* code : {"EXE", "exe", "Exe", "eXe"}) EXPECT_EQ(resolve(code), "S:\\Sistemas\\QOR7\\");
    EXPECT_EQ(resolve(" EXE"), "");
    EXPECT_EQ(resolve("EXE "), "");
    EXPECT_EQ(resolve("porta"), "3050");
}

TEST_F(RetornaCaminhoTest, ServerModeExeAndTdComeFromDiretorioServidor) {
    writeIni("Servidor=H\r\nDiretorio_Servidor=S:\\Sistemas\\QOR7\\\r\n"
             "Caminho_TabDef=D:\\Defs\\QOR7\\\r\nServidorTabDef=T\r\n");
    expectResults({{"EXE", "S:\\Sistemas\\QOR7\\"},
                   {"TD", "S:\\Sistemas\\QOR7\\TABDEF\\"},
                   {"TB", "T/3050:D:\\Defs\\QOR7\\TABDEF\\"}});

    writeIni("Servidor=H\r\nDiretorio_Servidor=S:\\QOR7\\Dados\\\r\n");
    expectResults({{"EXE", "S:\\QOR7\\"}, {"TD", "S:\\QOR7\\TABDEF\\"}});

    writeIni("Servidor=H\r\nDiretorio_Servidor=S:\\Sistemas\\\r\n");
    expectResults({{"EXE", "S:\\Sistemas\\\\"}, {"TD", "S:\\Sistemas\\\\TABDEF\\"}});
}

TEST_F(RetornaCaminhoTest, LocalModeExeAndTdComeFromTheDatabasePaths) {
    writeIni("Caminho_Base_Dados=C:\\QOR7\\\r\n");
    expectResults({{"EXE", "C:\\QOR7\\"}, {"TD", "C:\\QOR7\\TABDEF\\"}});

    writeIni("Caminho_Base_Dados=C:\\QOR7\\\r\nCaminho_TabDef=D:\\Defs\\QOR7\\\r\n");
    expectResults({{"EXE", "C:\\QOR7\\"},
                   {"TD", "D:\\Defs\\QOR7\\TABDEF\\"},
                   {"TB", "localhost/3050:D:\\Defs\\QOR7\\TABDEF\\"}});
}

TEST_F(RetornaCaminhoTest, UnlistedCodes) {
    writeIni("Servidor=H\r\nDiretorio_Servidor=" + folderSetting("srv") +
             "\r\nCaminho_Base_Dados=" + folderSetting("base") + "\r\n");
    std::filesystem::create_directories(temp / "srv" / "SGB_DADOS");
    std::filesystem::create_directories(temp / "base" / "SGB_DADOS");
    const size_t before = entriesInTemp();
    for (const char* code : {"XYZ", "", "IMA", "SB", "STB", "DLL", "BKA"}) EXPECT_EQ(resolve(code), "") << code;
    EXPECT_EQ(entriesInTemp(), before);  // server mode creates nothing for them

    writeIni("Caminho_Base_Dados=C:\\Sistemas\\qor7\\Base\\\r\n");
    for (const char* code : {"XYZ", "", " TD", "KILL"})
        EXPECT_EQ(resolve(code), "C:\\Sistemas\\QOR7\\TABDEF\\") << code;
}

TEST_F(RetornaCaminhoTest, ServerModeTableWithALinuxDatabaseServer) {
    std::filesystem::create_directories(temp / "srv" / "SGB_DADOS");
    std::filesystem::create_directories(temp / "sse");
    const std::string srv = folderSetting("srv");
    const std::string sse = folderSetting("sse");
    writeIni("Ano=2017\r\nServidor=H\r\nServidorTabDef=T\r\nSO_Servidor=LINUX\r\n"
             "SO_ServidorTabDef=WINDOWS\r\nCaminho_Base_Dados=/dados/qor7/\r\n"
             "Caminho_TabDef=E:\\qor7\\x\\\r\nDiretorio_Servidor=" + srv +
             "\r\nDiretorio_SSE=" + sse + "\r\n");
    expectResults({
        {"D", srv + "SGB_DADOS\\"},
        {"B", "H/3050:/dados/qor7/SGB_DADOS/"},
        {"SRV", "H/3050"},
        {"DA", srv + "SGB_DADOS\\"},
        {"BA", "H/3050:/dados/qor7/SGB_DADOS/"},
        {"TB", "T/3050:E:\\QOR7\\TABDEF\\"},
        {"BK", "/dados/qor7/SGB_DADOS/"},
        {"BKAB", "/dados/qor7/ARQ2017/BCK/"},
        {"BKAD", srv + "SGB_DADOS\\BCK\\"},
        {"AP", srv},
        {"TPD", srv + "SGB_DADOS\\TEMP\\"},
        {"TPB", "/dados/qor7/SGB_DADOS/TEMP/"},
        {"DE", srv + "SGB_DADOS\\EXPORTA\\"},
        {"DI", srv + "SGB_DADOS\\IMPORTA\\"},
        {"RTM", srv + "RTM\\"},
        {"RTMSSE", sse + "RTM\\"},
        {"RPT", srv + "Relatorios/"},
        {"DLLFB", "C:\\Arquivos de programas\\Firebird\\Firebird_2_1\\bin\\fbclient.dll"},
    });
    for (const char* folder : {"srv/SGB_DADOS/BCK", "srv/SGB_DADOS/TEMP", "srv/SGB_DADOS/EXPORTA",
                               "srv/SGB_DADOS/IMPORTA", "srv/RTM", "sse/RTM", "srv/Relatorios"})
        EXPECT_TRUE(exists(folder)) << folder;
}

TEST_F(RetornaCaminhoTest, BkabEnsuresTheWorkstationFolderBeforeFormingItsResult) {
    std::filesystem::create_directories(temp / "QOR7" / "SGB_DADOS");
    writeIni("Ano=2017\r\nServidor=H\r\nSO_Servidor=LINUX\r\nCaminho_Base_Dados=/dados/qor7/\r\n"
             "Diretorio_Servidor=" + folderSetting("QOR7") + "\r\n");
    EXPECT_FALSE(exists("QOR7/SGB_DADOS/BCK"));
    EXPECT_EQ(resolve("BKAB"), "/dados/qor7/ARQ2017/BCK/");
    EXPECT_TRUE(exists("QOR7/SGB_DADOS/BCK"));
    EXPECT_EQ(resolve("bkab"), "/dados/qor7/ARQ2017/BCK/");  // an existing folder is fine
}

TEST_F(RetornaCaminhoTest, RptEnsuresTheWorkstationFolderAndEndsWithTheServerSeparator) {
    std::filesystem::create_directories(temp / "QOR7");
    const std::string root = folderSetting("QOR7");
    writeIni("Servidor=H\r\nSO_Servidor=LINUX\r\nDiretorio_Servidor=" + root + "\r\n");
    EXPECT_EQ(resolve("RPT"), root + "Relatorios/");
    EXPECT_TRUE(exists("QOR7/Relatorios"));
}

TEST_F(RetornaCaminhoTest, FoldersAreCreatedOneLevelOnly) {
    std::filesystem::create_directories(temp / "QOR7");
    const std::string root = folderSetting("QOR7");
    writeIni("Servidor=H\r\nDiretorio_Servidor=" + root + "\r\n");
    EXPECT_EQ(messageOf<PathError>("BKAD"), kCannotCreate + root + "SGB_DADOS\\BCK\\");
    EXPECT_EQ(messageOf<PathError>("TPB"), kCannotCreate + root + "SGB_DADOS\\TEMP\\");
    EXPECT_FALSE(exists("QOR7/SGB_DADOS"));
    EXPECT_EQ(resolve("D"), root + "SGB_DADOS\\");  // rows without a folder never fail

    writeIni("Caminho_Base_Dados=" + folderSetting("nada") + "\r\n");
    EXPECT_EQ(messageOf<PathError>("RTM"), kCannotCreate + folderSetting("nada") + "RTM\\");
}

TEST_F(RetornaCaminhoTest, LocalModeTable) {
    std::filesystem::create_directories(temp / "QOR7");
    std::filesystem::create_directories(temp / "sse");
    const std::string base = folderSetting("QOR7");
    const std::string raiz = temp.folder() + "QOR7";
    writeIni("Ano=2016\r\nSO_Servidor=LINUX\r\nPORTACON=3051\r\nCaminho_Base_Dados=" + base +
             "\r\nDiretorio_SSE=" + folderSetting("sse") + "\r\nDiretorio_Servidor=S:\\x\\\r\n");
    // SB comes first: it creates SGB_DADOS, which the later rows need as a parent.
    expectResults({
        {"SB", "localhost/3051:" + base + "SGB_DADOS\\"},
        {"B", "localhost/3051:" + base + "SGB_DADOS\\"},
        {"SRV", "localhost/3051"},
        {"D", base + "SGB_DADOS\\"},
        {"BK", base + "SGB_DADOS\\"},
        {"TD", raiz + "\\TABDEF\\"},
        {"TB", "localhost/3051:" + raiz + "\\TABDEF\\"},
        {"BA", base + "SGB_DADOS\\"},
        {"DA2016", base + "SGB_DADOS\\"},
        {"AP", base},
        {"BKAD", base + "SGB_DADOS\\BCK\\"},
        {"BKAB", base + "SGB_DADOS\\BCK\\"},
        {"TPB", base + "SGB_DADOS\\TEMP\\"},
        {"TPD", base + "SGB_DADOS\\TEMP\\"},
        {"DE", base + "SGB_DADOS\\EXPORTA\\"},
        {"DI", base + "SGB_DADOS\\IMPORTA\\"},
        {"RTM", base + "RTM\\"},
        {"RTMSSE", folderSetting("sse") + "RTM\\"},
        {"RPT", "localhost/3051:" + base + "/Relatorios/"},
        {"IMA", base + "IMAGENS\\"},
        {"STB", "localhost/3051:" + raiz + "/TABDEF/"},
        {"EXE", raiz + "\\"},
        {"PORTA", "3051"},
    });
    for (const char* folder : {"QOR7/SGB_DADOS", "QOR7/SGB_DADOS/BCK", "QOR7/SGB_DADOS/TEMP",
                               "QOR7/SGB_DADOS/EXPORTA", "QOR7/SGB_DADOS/IMPORTA", "QOR7/RTM",
                               "sse/RTM", "QOR7/Relatorios", "QOR7/IMAGENS", "QOR7/TABDEF"})
        EXPECT_TRUE(exists(folder)) << folder;
}

TEST_F(RetornaCaminhoTest, AFolderReachedThroughALinkCountsAsExisting) {
    std::filesystem::create_directories(temp / "real" / "BCK");
    std::filesystem::create_directories(temp / "QOR7");
    std::error_code linkError;
    std::filesystem::create_directory_symlink(temp / "real", temp / "QOR7" / "SGB_DADOS", linkError);
    if (linkError) GTEST_SKIP() << "this system does not let us create a folder link";
    writeIni("Caminho_Base_Dados=" + folderSetting("QOR7") + "\r\n");
    EXPECT_EQ(resolve("BKAD"), folderSetting("QOR7") + "SGB_DADOS\\BCK\\");
    EXPECT_EQ(resolve("TPD"), folderSetting("QOR7") + "SGB_DADOS\\TEMP\\");
    EXPECT_TRUE(exists("real/TEMP"));
}

TEST_F(RetornaCaminhoTest, EmptyFolderSettingsGiveFoldersRelativeToTheCurrentDirectory) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    EXPECT_EQ(resolve("RTM"), "RTM\\");
    EXPECT_EQ(resolve("AP"), "");
    const bool created = exists("RTM");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(created);
}

TEST_F(RetornaCaminhoTest, PrefixCodesCheckTheYearAndTheRestOfTheCode) {
    writeIni("Servidor=H\r\nAno=2016\r\nDiretorio_Servidor=S:\\Q\\\r\n");
    expectResults({{"DA", "S:\\Q\\SGB_DADOS\\"},
                   {"DA2016", "S:\\Q\\SGB_DADOS\\"},
                   {"da-7", "S:\\Q\\SGB_DADOS\\"},
                   {"Da+2147483647", "S:\\Q\\SGB_DADOS\\"},
                   {"DA-2147483648", "S:\\Q\\SGB_DADOS\\"},
                   {"BA1", "H/3050:SGB_DADOS\\"}});
    EXPECT_EQ(messageOf<ConversionError>("DATA"), "'TA' não é um valor inteiro válido");
    EXPECT_EQ(messageOf<ConversionError>("bata"), "'ta' não é um valor inteiro válido");
    EXPECT_EQ(messageOf<ConversionError>("DA2147483648"), "'2147483648' não é um valor inteiro válido");
    EXPECT_EQ(messageOf<ConversionError>("DA 1"), "' 1' não é um valor inteiro válido");
    EXPECT_EQ(messageOf<ConversionError>("BA-"), "'-' não é um valor inteiro válido");

    writeIni("Servidor=H\r\nAno=\r\n");
    EXPECT_EQ(messageOf<ConversionError>("DA"), "'' não é um valor inteiro válido");
    writeIni("Ano=dois mil\r\n");
    EXPECT_EQ(messageOf<ConversionError>("DATA"), "'dois mil' não é um valor inteiro válido");  // Ano first
    EXPECT_EQ(messageOf<ConversionError>("BA"), "'dois mil' não é um valor inteiro válido");
    EXPECT_EQ(resolve("D"), "SGB_DADOS\\");  // other codes do not look at the year
}

TEST_F(RetornaCaminhoTest, EveryCallReadsTheSettingsFileAnew) {
    writeIni("Servidor=H\r\nDiretorio_Servidor=S:\\QOR7\\\r\n");
    EXPECT_EQ(resolve("EXE"), "S:\\QOR7\\");
    writeIni("Caminho_Base_Dados=C:\\QOR7\\\r\n");
    EXPECT_EQ(resolve("EXE"), "C:\\QOR7\\");
    EXPECT_EQ(resolve("SRV"), "localhost/3050");
}
