// Decoding MODULOS.DAT and classifying its lines. The decoding is checked against the C library's
// converters (UTF-8, UTF-16 in either order, Windows-1252) and against itself across encodings
// and line ends; each line's name and title against the fixed columns counted by a reference
// reading of the characters.
#include <iconv.h>

#include <algorithm>

#include "app/catalogue.h"
#include "fuzz_support.h"
#include "platform/text.h"
#include "platform/text_decoding.h"

namespace {

// What CarregaCatalogo makes of the file's bytes on a system whose ANSI code page is the default.
std::vector<std::string> Load(std::string_view bytes) {
    const std::string text = platform::DecodeText(bytes);
    const auto lines = platform::SplitLines(text);
    return {lines.begin(), lines.end()};
}

// The C library's conversion to UTF-8; nothing when it refuses a byte.
std::optional<std::string> Converted(const char* from, std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) fuzz::Fail(std::string("no converter for ") + from);
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    char* at = out.data();
    size_t inLeft = bytes.size(), outLeft = out.size();
    const size_t done = iconv(cd, &in, &inLeft, &at, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// Lines ended by CR LF, LF or CR, none added by a final break: all breaks made LF, then cut.
std::vector<std::string> ReferenceLines(std::string text) {
    std::string flat;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        flat += text[i] == '\r' ? '\n' : text[i];
    }
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = flat.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(flat.substr(start, end - start));
    if (start < flat.size()) lines.push_back(flat.substr(start));
    return lines;
}

// What the converters make of the file, where they accept it all.
std::optional<std::string> ReferenceText(std::string_view bytes) {
    auto without = [&](size_t mark) { return bytes.substr(mark, (bytes.size() - mark) & ~size_t{1}); };
    if (bytes.rfind("\xFF\xFE", 0) == 0) return Converted("UTF-16LE", without(2));
    if (bytes.rfind("\xFE\xFF", 0) == 0) return Converted("UTF-16BE", without(2));
    if (bytes.rfind("\xEF\xBB\xBF", 0) != 0)  // without a mark: UTF-8 only when all of it is
        return fuzz::IsWellFormedUtf8(bytes) ? std::string(bytes) : Converted("CP1252", bytes);
    const std::string_view body = bytes.substr(3);
    if (fuzz::IsWellFormedUtf8(body)) return std::string(body);
    // Without a byte that could lead a UTF-8 sequence, every byte is a Windows-1252 character.
    const bool noLead = std::none_of(body.begin(), body.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0xC2 && static_cast<unsigned char>(c) <= 0xF4;
    });
    return noLead ? Converted("CP1252", body) : std::nullopt;
}

std::string Encoded(const std::vector<std::string>& lines, int form) {
    const char* const ends[] = {"\r\n", "\n", "\r"};
    std::string text;
    for (const std::string& line : lines) text += line + ends[form];
    if (form == 0) return "\xEF\xBB\xBF" + text;
    return (form == 1 ? "\xFF\xFE" : "\xFE\xFF") + fuzz::EncodeUtf16(text, form == 2);
}

std::string Columns(const std::string& line, size_t first, size_t count) {
    const auto characters = fuzz::ReferenceCharacters(line);
    std::string out;
    for (size_t i = first - 1; i < characters.size() && i < first - 1 + count; ++i) out += characters[i];
    return platform::trimBlanks(out);
}

void CheckLine(const std::string& line) {
    const app::LinhaDoCatalogo got = app::ClassificaLinha(line);
    const std::string whole = platform::trimBlanks(line);
    const std::string upper = platform::upperAscii(whole);
    app::LinhaDoCatalogo expected{whole, whole};
    if (upper.find(".EXE") != std::string::npos) expected = {Columns(line, 1, 26), Columns(line, 27, 80)};
    else if (upper.find(".BPL") != std::string::npos) expected.rotulo = "Arquivo BPL";
    else if (upper.find(".DLL") != std::string::npos) expected.rotulo = "Arquivo DLL";
    FUZZ_CHECK(got.nome == expected.nome && got.rotulo == expected.rotulo,
               fuzz::Visible(line) + " -> " + fuzz::Visible(got.nome) + " | " + fuzz::Visible(got.rotulo));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    const std::vector<std::string> lines = Load(bytes);
    std::string joined;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos && fuzz::IsWellFormedUtf8(line), fuzz::Visible(line));
        joined += line + "\n";
        CheckLine(line);
    }
    if (const auto text = ReferenceText(bytes))
        FUZZ_CHECK(lines == ReferenceLines(*text), fuzz::Visible(joined) + " expected " + fuzz::Visible(*text));
    for (int form = 0; form < 3; ++form)
        FUZZ_CHECK(Load(Encoded(lines, form)) == lines, "encoding " + std::to_string(form) + ": " + fuzz::Visible(joined));
    return 0;
}
