// The profile reader and the settings on a fuzzed qor.ini. Properties that hold whatever the
// reader does with odd lines: a value found does not depend on the default, on letter case, on
// the encoding or line ends of the file, or on lines outside its section; the settings' derived
// values follow from the values read.
#include <algorithm>

#include "fuzz_support.h"
#include "platform/ini_reader.h"
#include "platform/text.h"
#include "platform/text_decoding.h"
#include "settings/configuracao.h"

namespace {

constexpr const char* kKeys[] = {"Ano", "Servidor", "ServidorTabDef", "SO_Servidor", "SO_ServidorTabDef",
                                 "Caminho_Base_Dados", "Caminho_TabDef", "Diretorio_Servidor",
                                 "Diretorio_SSE", "DLLCON", "PORTACON", "CaminhoDLLCON"};
const std::string kDefaultA = "\x01padrao-a", kDefaultB = "\x01padrao-b";

std::string Read(std::string_view bytes, std::string_view section, std::string_view key, const std::string& def) {
    return platform::ReadProfileString(bytes, section, key, def);
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The same settings written anew: other line ends, another encoding, a stray key line before
// the first section and another section after the last line.
std::string Rewritten(const std::string& text, const std::string& key, unsigned choice) {
    const char* const ends[] = {"\r\n", "\n", "\r"};
    const std::string end = ends[choice % 3];
    std::string body = key + "=antes" + end + "; nota" + end;
    for (std::string_view line : platform::SplitLines(text)) body += std::string(line) + end;
    body += "[OUTRA]" + end + key + "=depois" + end;
    switch ((choice / 3) % 4) {
        case 0: return "\xEF\xBB\xBF" + body;
        case 1: return "\xFF\xFE" + fuzz::EncodeUtf16(body, false);
        case 2: return "\xFE\xFF" + fuzz::EncodeUtf16(body, true);
        default: return body;  // no mark: read as UTF-8, since it is well formed
    }
}

void CheckValue(std::string_view bytes, const std::string& key, unsigned choice) {
    const std::string a = Read(bytes, "QOR", key, kDefaultA);
    const std::string b = Read(bytes, "QOR", key, kDefaultB);
    const bool found = a == b;
    FUZZ_CHECK(found || (a == kDefaultA && b == kDefaultB), key + ": " + fuzz::Visible(a) + " / " + fuzz::Visible(b));
    FUZZ_CHECK(platform::utf8Length(a) <= 2047, key);
    const std::string text = platform::DecodeText(bytes);
    FUZZ_CHECK(fuzz::IsWellFormedUtf8(text), fuzz::Visible(text));
    if (found) {
        // No line break, and no zero character, which would end the value in any system call.
        FUZZ_CHECK(a.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, fuzz::Visible(a));
        FUZZ_CHECK(text.find(a) != std::string::npos, fuzz::Visible(a));
    }
    const std::string other = Read(bytes, "qor", LowerAscii(key), kDefaultA);
    FUZZ_CHECK(other == a, key + ": " + fuzz::Visible(other) + " / " + fuzz::Visible(a));
    // A leading U+FEFF would pass for a byte-order mark when the rewrite carries none.
    if ((choice / 3) % 4 == 3 && text.rfind("\xEF\xBB\xBF", 0) == 0) return;
    const std::string rewritten = Read(Rewritten(text, key, choice), "QOR", key, kDefaultA);
    FUZZ_CHECK(rewritten == a, key + ": " + fuzz::Visible(rewritten) + " / " + fuzz::Visible(a));
}

// The product tag's first occurrence, letter case ignored, found by a search of our own.
std::string ExpectedRoot(const std::string& path) {
    const std::string_view tag = settings::kProductTag;
    auto sameLetter = [](char x, char y) { return (x == y) || (x >= 'a' && x <= 'z' && x - 'a' + 'A' == y); };
    auto at = std::search(path.begin(), path.end(), tag.begin(), tag.end(), sameLetter);
    return at == path.end() ? path : std::string(path.begin(), at) + std::string(tag);
}

void CheckSettings(std::string_view bytes) {
    fuzz::IniInMemory system;
    system.iniBytes = std::string(bytes);
    const settings::TConfigInstalacao c = settings::LerConfiguracao(system);
    auto present = [&](const char* key) { return Read(bytes, "QOR", key, kDefaultA) != kDefaultA; };
    auto host = [](const std::string& h) { return h.empty() ? std::string(settings::kLoopbackHost) : h; };
    FUZZ_CHECK(c.ServidorTabDef == (present("ServidorTabDef") ? Read(bytes, "QOR", "ServidorTabDef", "") : c.Servidor),
               fuzz::Visible(c.ServidorTabDef));
    FUZZ_CHECK(c.Caminho_TabDef == (present("Caminho_TabDef") ? Read(bytes, "QOR", "Caminho_TabDef", "") : c.Caminho_Base_Dados),
               fuzz::Visible(c.Caminho_TabDef));
    FUZZ_CHECK(c.Conexao == host(c.Servidor) + "/" + c.PORTACON, fuzz::Visible(c.Conexao));
    FUZZ_CHECK(c.ConexaoTabDef == host(c.ServidorTabDef) + "/" + c.PORTACON, fuzz::Visible(c.ConexaoTabDef));
    FUZZ_CHECK(c.Separador == (c.SO_Servidor == "LINUX" ? "/" : "\\"), fuzz::Visible(c.SO_Servidor));
    FUZZ_CHECK(c.SeparadorTabDef == (c.SO_ServidorTabDef == "LINUX" ? "/" : "\\"), fuzz::Visible(c.SO_ServidorTabDef));
    FUZZ_CHECK(c.RaizBaseDados == ExpectedRoot(c.Caminho_Base_Dados), fuzz::Visible(c.RaizBaseDados));
    FUZZ_CHECK(c.RaizTabDef == ExpectedRoot(c.Caminho_TabDef), fuzz::Visible(c.RaizTabDef));
    FUZZ_CHECK(c.RaizServidor == ExpectedRoot(c.Diretorio_Servidor), fuzz::Visible(c.RaizServidor));
}

}  // namespace

// The first byte picks the key and the rewrite; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 3000) return 0;  // room for a value past 2,047 characters, no more: every key reads the file anew
    const unsigned choice = data[0];
    const std::string_view bytes = fuzz::AsText(data + 1, size - 1);
    CheckValue(bytes, kKeys[choice % 12], choice / 12);
    CheckSettings(bytes);
    return 0;
}
