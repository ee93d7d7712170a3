#include "platform/ini_reader.h"

#include <gtest/gtest.h>

#include <string>

using platform::ReadProfileString;

namespace {

std::string read(std::string_view file, std::string_view key, const std::string& def = "<def>") {
    return ReadProfileString(file, "QOR", key, def);
}

// UTF-16 bytes of ASCII/Latin-1 text, with its byte-order mark.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

}  // namespace

TEST(IniReader, MatchesSectionAndKeyIgnoringCase) {
    const std::string file = "[qor]\nservidor=srv1\n";
    EXPECT_EQ(read(file, "Servidor"), "srv1");
    EXPECT_EQ(ReadProfileString(file, "Qor", "SERVIDOR", ""), "srv1");
    EXPECT_EQ(ReadProfileString("[ QOR ]\n Ano = 2017 \n", "QOR", "Ano", ""), "2017");
}

TEST(IniReader, AbsentSectionOrKeyGivesDefaultPresentEmptyKeyGivesEmpty) {
    const std::string file = "[OUTRA]\nAno=1\n[QOR]\nServidorTabDef=\nServidor=x\n";
    EXPECT_EQ(read(file, "Caminho_TabDef"), "<def>");
    EXPECT_EQ(read(file, "ServidorTabDef"), "");
    EXPECT_EQ(read(file, "Ano"), "<def>");  // only in another section
    EXPECT_EQ(read("", "Servidor"), "<def>");
    EXPECT_EQ(read("Servidor=x\n", "Servidor"), "<def>");  // no section at all
    EXPECT_EQ(ReadProfileString(file, "NADA", "Ano", "d"), "d");
}

TEST(IniReader, AKeyWithoutEqualsSignGivesTheDefaultAsTheWindowsProfileFunctionsDo) {
    EXPECT_EQ(read("[QOR]\nServidor\n", "Servidor"), "<def>");
    EXPECT_EQ(read("[QOR]\n  servidor  \nServidor=depois\n", "Servidor"), "<def>");  // the first line wins
    EXPECT_EQ(read("[QOR]\nServidor=antes\nServidor\n", "Servidor"), "antes");
    EXPECT_EQ(read("[QOR]\nServidor=\n", "Servidor"), "");  // with "=" it is empty, not the default
}

TEST(IniReader, TrimsBlanksAndOneEnclosingPairOfQuotes) {
    EXPECT_EQ(read("[QOR]\nPORTACON= 3051 \t\n", "PORTACON"), "3051");
    EXPECT_EQ(read("[QOR]\nA=\"C:\\x y\\\"\n", "A"), "C:\\x y\\");
    EXPECT_EQ(read("[QOR]\nA= 'abc' \n", "A"), "abc");
    EXPECT_EQ(read("[QOR]\nA=\"\"abc\"\"\n", "A"), "\"abc\"");  // only one pair
    EXPECT_EQ(read("[QOR]\nA=\"abc'\n", "A"), "\"abc'");          // quotes that do not pair stay
    EXPECT_EQ(read("[QOR]\nA=\"\n", "A"), "\"");
    EXPECT_EQ(read("[QOR]\nA=a=b\n", "A"), "a=b");  // only the first "=" splits
}

TEST(IniReader, FirstOccurrenceWinsForRepeatedKeyAndSection) {
    EXPECT_EQ(read("[QOR]\nAno=1\nano=2\n", "Ano"), "1");
    const std::string twice = "[QOR]\nAno=1\n[X]\n[qor]\nAno=2\nServidor=late\n";
    EXPECT_EQ(read(twice, "Ano"), "1");
    EXPECT_EQ(read(twice, "Servidor"), "<def>");
}

TEST(IniReader, CutsValuesAt2047CharactersNotBytes) {
    std::string ascii(3000, 'a');
    EXPECT_EQ(read("[QOR]\nA=" + ascii + "\n", "A"), std::string(2047, 'a'));
    std::string accented;
    for (int i = 0; i < 2100; ++i) accented += "\xC3\xA9";  // é
    std::string expected;
    for (int i = 0; i < 2047; ++i) expected += "\xC3\xA9";
    EXPECT_EQ(read("[QOR]\nA=" + accented + "\n", "A"), expected);
    EXPECT_EQ(read("[QOR]\nA=" + std::string(2047, 'b'), "A"), std::string(2047, 'b'));
    // A zero character ends the value, as it ends the C string that the Windows functions return.
    EXPECT_EQ(read(std::string("[QOR]\nA= S:\0\\x\n", 15), "A"), "S:");
}

TEST(IniReader, AcceptsEveryLineEnd) {
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        std::string file = std::string("[QOR]") + eol + "Servidor=h" + eol + "Ano=2016" + eol;
        EXPECT_EQ(read(file, "Servidor"), "h") << "line end " << int(eol[0]);
        EXPECT_EQ(read(file, "Ano"), "2016");
    }
    EXPECT_EQ(read("[QOR]\r\nAno=2016", "Ano"), "2016");  // last line without an end
}

TEST(IniReader, DecodesByteOrderMarksAndFallsBackToWindows1252) {
    EXPECT_EQ(read("\xEF\xBB\xBF[QOR]\nA=Sa\xC3\xAD" "da\n", "A"), "Sa\xC3\xAD" "da");
    EXPECT_EQ(read(utf16(u"[QOR]\r\nA=S:\\Edi\u00E7\u00E3o\\\r\n", false), "A"),
              "S:\\Edi\xC3\xA7\xC3\xA3o\\");
    EXPECT_EQ(read(utf16(u"[qor]\nA=x\u20ACy\n", true), "A"), "x\xE2\x82\xACy");
    // Plain UTF-8 stays as it is; lone Windows-1252 bytes become their characters.
    EXPECT_EQ(read("[QOR]\nA=S\xC3\xA3o\n", "A"), "S\xC3\xA3o");
    EXPECT_EQ(read("[QOR]\nA=S\xE3o \x80\n", "A"), "S\xC3\xA3o \xE2\x82\xAC");
    // An overlong form is not valid UTF-8: each byte is read as Windows-1252.
    EXPECT_EQ(read("[QOR]\nA=\xC0\xAF\n", "A"), "\xC3\x80\xC2\xAF");
    // A file is in one encoding: one byte that is no UTF-8 makes all of it Windows-1252.
    EXPECT_EQ(read("[QOR]\nA=S\xC3\xA3o\nB=\xE9\n", "A"), "S\xC3\x83\xC2\xA3o");
}

TEST(IniReader, Utf16SurrogatePairsAndLoneSurrogates) {
    std::u16string text = u"[QOR]\nA=";
    text += char16_t(0xD83D);
    text += char16_t(0xDE00);  // U+1F600
    text += u"\nB=";
    text += char16_t(0xDC00);  // a low surrogate alone
    text += u"\n";
    EXPECT_EQ(read(utf16(text, false), "A"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(read(utf16(text, true), "B"), "\xEF\xBF\xBD");
}

TEST(IniReader, OtherLinesDoNotDisturbTheLookup) {
    const std::string file =
        "; comment\n\n[QOR]\n; Servidor=commented\n  \nlixo sem igual\nServidor = real\n";
    EXPECT_EQ(read(file, "Servidor"), "real");
    EXPECT_EQ(read("[QOR\nAno=7\n", "Ano"), "7");  // a header without "]" still names its section
}
