// Windows reads the settings file through the system's profile functions
// (GetPrivateProfileStringW); other systems through our own INI reader. The two must give the same
// values: every case of the reading rules is written to a file and read through both, key by key
// and as a whole settings record. (On other systems there is only the one reader.)
#ifdef _WIN32

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ini_reader.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_system.h"
#include "settings/configuracao.h"
#include "settings_fixture.h"
#include "support/temp_dir.h"

namespace {

using testing_support::pathFromUtf8;

// A key to look up and the default to give when it is absent.
struct Lookup {
    std::string section, key, defaultValue;
};

// UTF-16 bytes of text, with its byte-order mark.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

std::string repeat(const std::string& unit, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

// Our reader as the POSIX system uses it: the file's bytes, or the default when it cannot be read.
std::string ourReader(const std::string& file, const Lookup& lookup) {
    std::ifstream in(pathFromUtf8(file), std::ios::binary);
    if (!in) return lookup.defaultValue;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return platform::ReadProfileString(bytes.str(), lookup.section, lookup.key, lookup.defaultValue);
}

// The settings record read with qor.ini in a given folder, through the Windows profile functions.
class WindowsProfileSystem : public settings_test::ProgramFolderSystem {
public:
    using ProgramFolderSystem::ProgramFolderSystem;
    std::string profileString(const std::string& file, const std::string& section, const std::string& key,
                              const std::string& defaultValue) override {
        return windows_.profileString(file, section, key, defaultValue);
    }

private:
    platform::win32::Win32System windows_;
};

class ProfileReaders : public ::testing::Test {
protected:
    // Each case gets a file of its own: the profile functions may cache a file by its name.
    std::string writeCase(const std::string& bytes) { return temp.write("case" + std::to_string(++cases_) + ".ini", bytes); }

    void expectSame(const std::string& file, const std::vector<Lookup>& lookups, const std::string& what) {
        for (const Lookup& lookup : lookups) {
            const std::string windows =
                system.profileString(file, lookup.section, lookup.key, lookup.defaultValue);
            EXPECT_EQ(windows, ourReader(file, lookup))
                << what << ": [" << lookup.section << "] " << lookup.key << " (default \"" << lookup.defaultValue
                << "\")";
        }
    }
    void expectSameForBytes(const std::string& bytes, const std::vector<Lookup>& lookups, const std::string& what) {
        expectSame(writeCase(bytes), lookups, what);
    }

    testing_support::TempDir temp;
    platform::win32::Win32System system;

private:
    int cases_ = 0;
};

const std::vector<Lookup> kSettingsKeys = {
    {"QOR", "Ano", ""},       {"QOR", "Servidor", ""},          {"QOR", "ServidorTabDef", "<tabdef>"},
    {"QOR", "SO_Servidor", "WINDOWS"}, {"QOR", "PORTACON", "3050"}, {"QOR", "Caminho_Base_Dados", ""},
    {"QOR", "DLLCON", "fbclient.dll"}, {"QOR", "A", "<def>"},    {"QOR", "B", "<def>"},
};

TEST_F(ProfileReaders, SectionAndKeyNamesIgnoreLetterCase) {
    const std::vector<Lookup> lookups = {{"QOR", "Servidor", "-"}, {"qor", "SERVIDOR", "-"}, {"Qor", "ano", "-"}};
    expectSameForBytes("[qor]\r\nservidor=srv1\r\nANO=2017\r\n", lookups, "lower-case section");
    expectSameForBytes("[QOR]\r\nServidor=srv1\r\nAno=2017\r\n", lookups, "upper-case section");
    expectSameForBytes("[ QOR ]\r\n Servidor = srv1 \r\n\tAno\t=\t2017\r\n", lookups, "blanks around the names");
}

TEST_F(ProfileReaders, BlanksAndOnePairOfQuotesAreDropped) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {" 3051 \t", "blanks and a tab"},  {"\"C:\\x y\\\"", "double quotes"},
        {" 'abc' ", "single quotes"},      {"\"\"abc\"\"", "two pairs"},
        {"\"abc'", "quotes that do not pair"}, {"\"", "a lone quote"},
        {"a=b", "a second equals sign"},   {"   ", "blanks only"},
        {"'", "a lone apostrophe"},        {"\"\"", "an empty quoted value"},
    };
    for (const auto& [value, what] : values)
        expectSameForBytes("[QOR]\r\nA=" + value + "\r\n", {{"QOR", "A", "<def>"}}, what);
}

TEST_F(ProfileReaders, AbsentKeysSectionsAndFilesGiveTheDefaultAnEmptyValueDoesNot) {
    expectSameForBytes("[QOR]\r\nServidor=H\r\nServidorTabDef=\r\n", kSettingsKeys, "empty value");
    expectSameForBytes("[OUTRA]\r\nServidor=H\r\nPORTACON=1\r\n", kSettingsKeys, "other section only");
    expectSameForBytes("", kSettingsKeys, "empty file");
    expectSameForBytes("Servidor=x\r\n[QOR]\r\nAno=1\r\n", kSettingsKeys, "a key before any section");
    expectSameForBytes("[QOR]\r\nServidor\r\n  PORTACON  \r\nPORTACON=3051\r\nAno=1\r\nAno\r\n", kSettingsKeys,
                       "keys without an equals sign");
    expectSame(temp.folder() + "absent.ini", kSettingsKeys, "no file");
    temp.write("folder.ini/inside.txt", "");
    expectSame(temp.folder() + "folder.ini", kSettingsKeys, "a folder in place of the file");
}

TEST_F(ProfileReaders, ValuesAreCutAt2047Characters) {
    const Lookup a{"QOR", "A", ""};
    expectSameForBytes("[QOR]\r\nA=" + std::string(3000, 'a') + "\r\n", {a}, "3,000 characters");
    expectSameForBytes("[QOR]\r\nA=" + std::string(2047, 'b') + "\r\n", {a}, "exactly 2,047");
    expectSameForBytes("[QOR]\r\nA=" + std::string(2048, 'c') + "\r\n", {a}, "2,048");
    expectSameForBytes("\xEF\xBB\xBF[QOR]\r\nA=" + repeat("\xC3\xA9", 2100) + "\r\n", {a}, "accented, UTF-8");
    expectSameForBytes(utf16(u"[QOR]\r\nA=" + std::u16string(2100, u'\u00E7') + u"\r\n", false), {a},
                       "accented, UTF-16");
    const std::string zero = "[QOR]\r\nA= S:" + std::string(1, '\0') + "\\lixo\r\nB=depois\r\n";
    expectSameForBytes(zero, {a, {"QOR", "B", ""}}, "a zero byte in a value");
}

TEST_F(ProfileReaders, FirstOccurrenceOfARepeatedKeyOrSectionWins) {
    const std::vector<Lookup> lookups = {{"QOR", "Ano", "<def>"}, {"QOR", "Servidor", "<def>"}};
    expectSameForBytes("[QOR]\r\nAno=1\r\nano=2\r\n", lookups, "repeated key");
    expectSameForBytes("[QOR]\r\nAno=1\r\n[X]\r\n[qor]\r\nAno=2\r\nServidor=late\r\n", lookups, "repeated section");
}

TEST_F(ProfileReaders, LineEndsCommentsAndStrayLines) {
    const std::vector<Lookup> lookups = {{"QOR", "Servidor", "<def>"}, {"QOR", "Ano", "<def>"}};
    expectSameForBytes("[QOR]\nServidor=h\nAno=2016\n", lookups, "LF line ends");
    expectSameForBytes("[QOR]\r\nServidor=h\r\nAno=2016", lookups, "no line end at the end");
    expectSameForBytes("; comment\r\n\r\n[QOR]\r\n; Servidor=commented\r\n  \r\nlixo sem igual\r\nServidor = real\r\n",
                       lookups, "comments and stray lines");
}

TEST_F(ProfileReaders, FilesWithAByteOrderMarkOrWindows1252Text) {
    const std::vector<Lookup> lookups = {{"QOR", "A", "<def>"}, {"QOR", "B", "<def>"}};
    expectSameForBytes("\xEF\xBB\xBF[QOR]\r\nA=Sa\xC3\xAD" "da\r\nB=S:\\Edi\xC3\xA7\xC3\xA3o\\\r\n", lookups,
                       "UTF-8 with its mark");
    expectSameForBytes(utf16(u"[QOR]\r\nA=S:\\Edi\u00E7\u00E3o\\\r\nB=x\u20ACy\r\n", false), lookups,
                       "UTF-16 little-endian");
    expectSameForBytes(utf16(u"[qor]\r\nA=S:\\Edi\u00E7\u00E3o\\\r\nB=x\u20ACy\r\n", true), lookups,
                       "UTF-16 big-endian");
    // Without a mark Windows reads the ANSI code page: the same as our fallback where that is 1252.
    if (GetACP() == 1252)
        expectSameForBytes("[QOR]\r\nA=S\xE3o \x80\r\nB=Configura\xE7\xE3o\r\n", lookups, "Windows-1252");
    else
        std::cout << "(Windows-1252 text not compared: this system's ANSI code page is " << GetACP() << ")\n";
}

// Current Notepad saves UTF-8 without a mark: a folder with an accent must keep it.
TEST_F(ProfileReaders, Utf8WithoutAMarkIsReadAsUtf8) {
    const std::string file = writeCase("[QOR]\r\nA=S:\\Edi\xC3\xA7\xC3\xA3o\\\r\nB= x \r\n");
    EXPECT_EQ(system.profileString(file, "QOR", "A", "<def>"), "S:\\Edi\xC3\xA7\xC3\xA3o\\");
    EXPECT_EQ(system.profileString(file, "QOR", "B", "<def>"), "x");
    EXPECT_EQ(system.profileString(file, "QOR", "C", "<def>"), "<def>");
}

const std::vector<const char*> kFieldNames = {
    "Ano", "Servidor", "ServidorTabDef", "SO_Servidor", "SO_ServidorTabDef", "Caminho_Base_Dados",
    "Caminho_TabDef", "Diretorio_Servidor", "Diretorio_SSE", "DLLCON", "PORTACON", "CaminhoDLLCON",
    "Conexao", "ConexaoTabDef", "RaizBaseDados", "RaizTabDef", "RaizServidor", "Separador", "SeparadorTabDef"};

std::vector<std::string> fieldsOf(const settings::TConfigInstalacao& c) {
    return {c.Ano, c.Servidor, c.ServidorTabDef, c.SO_Servidor, c.SO_ServidorTabDef, c.Caminho_Base_Dados,
            c.Caminho_TabDef, c.Diretorio_Servidor, c.Diretorio_SSE, c.DLLCON, c.PORTACON, c.CaminhoDLLCON,
            c.Conexao, c.ConexaoTabDef, c.RaizBaseDados, c.RaizTabDef, c.RaizServidor, c.Separador,
            c.SeparadorTabDef};
}

// Each edge case of the settings file, read as a whole record through both readers.
TEST_F(ProfileReaders, SettingsRecordsAgree) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Servidor=H\r\n", "server without a table-definition server"},
        {"Servidor=H\r\nServidorTabDef=\r\n", "empty table-definition server"},
        {"ServidorTabDef=T\r\nPORTACON=3051\r\n", "table-definition server only"},
        {"SO_Servidor=Linux\r\nSO_ServidorTabDef=LINUX\r\n", "operating systems"},
        {"SO_Servidor=linux\r\nSO_ServidorTabDef=\r\n", "operating systems, lower case and empty"},
        {"Caminho_Base_Dados=C:\\qor7\\\r\nDiretorio_Servidor=S:\\Sistemas\\QOR7\\Dados\\\r\n", "roots"},
        {"Caminho_TabDef=D:\\QOR70\\\r\nDiretorio_Servidor=S:\\Dados\\\r\nDiretorio_SSE=S:\\QOR7\\QOR7\\\r\n",
         "roots without the tag"},
        {"PORTACON= 3051 \r\nservidor = srv\r\nDLLCON=\"fb client.dll\"\r\nCaminhoDLLCON='C:\\Fb\\'\r\n",
         "blanks and quotes"},
        {"Ano=2017\r\nano=2018\r\nCAMINHO_BASE_DADOS=/dados/qor7/\r\n", "repeated key, upper-case key"},
    };
    const settings::TConfigInstalacao noFile = [&] {
        WindowsProfileSystem windows(temp.folder() + "empty\\");
        return settings::LerConfiguracao(windows);
    }();
    int folder = 0;
    for (const auto& [lines, what] : files) {
        const std::string name = "prog" + std::to_string(++folder);
        temp.write(name + "/qor.ini", "[qor]\r\n" + lines);
        settings_test::ProgramFolderSystem ours(temp.folder() + name + "\\");
        WindowsProfileSystem windows(temp.folder() + name + "\\");
        const std::vector<std::string> viaWindows = fieldsOf(settings::LerConfiguracao(windows));
        const std::vector<std::string> viaOurs = fieldsOf(settings::LerConfiguracao(ours));
        for (size_t i = 0; i < kFieldNames.size(); ++i)
            EXPECT_EQ(viaWindows[i], viaOurs[i]) << what << ": " << kFieldNames[i];
        EXPECT_NE(viaWindows, fieldsOf(noFile)) << what << ": the file was not read";
    }
}

}  // namespace

#endif  // _WIN32
