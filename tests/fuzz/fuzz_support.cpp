#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ini_reader.h"

namespace fuzz {

void Fail(const std::string& what) {
    std::fprintf(stderr, "\n*** broken property: %s\n", what.c_str());
    std::abort();
}

std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

std::pair<std::string_view, std::string_view> SplitAt(std::string_view data, char separator) {
    const size_t at = data.find(separator);
    if (at == std::string_view::npos) return {data, {}};
    return {data.substr(0, at), data.substr(at + 1)};
}

std::string Visible(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

namespace {

// Length of the well-formed sequence at `i`, read off the standard's table of byte ranges
// (Unicode, table 3-7), or 0 when the bytes there form none.
size_t WellFormedLength(std::string_view text, size_t i) {
    struct Range { unsigned char low, high; };
    struct Form { Range lead, second; int length; };
    static constexpr Form kForms[] = {
        {{0x00, 0x7F}, {0, 0}, 1},       {{0xC2, 0xDF}, {0x80, 0xBF}, 2},
        {{0xE0, 0xE0}, {0xA0, 0xBF}, 3}, {{0xE1, 0xEC}, {0x80, 0xBF}, 3},
        {{0xED, 0xED}, {0x80, 0x9F}, 3}, {{0xEE, 0xEF}, {0x80, 0xBF}, 3},
        {{0xF0, 0xF0}, {0x90, 0xBF}, 4}, {{0xF1, 0xF3}, {0x80, 0xBF}, 4},
        {{0xF4, 0xF4}, {0x80, 0x8F}, 4},
    };
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    auto within = [](unsigned char b, Range r) { return b >= r.low && b <= r.high; };
    for (const Form& form : kForms) {
        if (!within(byte(i), form.lead)) continue;
        if (form.length == 1) return 1;
        if (i + form.length > text.size() || !within(byte(i + 1), form.second)) return 0;
        for (int k = 2; k < form.length; ++k)
            if (!within(byte(i + k), {0x80, 0xBF})) return 0;
        return form.length;
    }
    return 0;
}

}  // namespace

std::vector<std::string_view> ReferenceCharacters(std::string_view text) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = WellFormedLength(text, i);
        out.push_back(text.substr(i, length ? length : 1));
        i += length ? length : 1;
    }
    return out;
}

bool IsWellFormedUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = WellFormedLength(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string EncodeUtf16(std::string_view utf8, bool bigEndian) {
    std::string out;
    auto unit = [&](uint32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::string_view c : ReferenceCharacters(utf8)) {
        auto b = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(c[k])); };
        uint32_t cp = c.size() == 1 ? b(0)
                    : c.size() == 2 ? ((b(0) & 0x1F) << 6) | (b(1) & 0x3F)
                    : c.size() == 3 ? ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F)
                                    : ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        if (cp < 0x10000) {
            unit(cp);
        } else {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string IniInMemory::profileString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& defaultValue) {
    if (file != std::string(kProgramFolder) + "qor.ini") Fail("qor.ini looked for elsewhere: " + file);
    return platform::ReadProfileString(iniBytes, section, key, defaultValue);
}

}  // namespace fuzz
