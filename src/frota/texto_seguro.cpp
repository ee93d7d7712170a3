#include "frota/texto_seguro.h"

#include <cstdint>

#include "platform/text.h"

namespace frota {

namespace {

constexpr std::string_view kSubstituto = "\xEF\xBF\xBD";  // U+FFFD

uint32_t CodigoDe(std::string_view c) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(c[i])); };
    switch (c.size()) {
        case 1: return byte(0);
        case 2: return (byte(0) & 0x1f) << 6 | (byte(1) & 0x3f);
        case 3: return (byte(0) & 0x0f) << 12 | (byte(1) & 0x3f) << 6 | (byte(2) & 0x3f);
        default: return (byte(0) & 0x07) << 18 | (byte(1) & 0x3f) << 12 | (byte(2) & 0x3f) << 6 | (byte(3) & 0x3f);
    }
}

bool Invisivel(uint32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x061c || (c >= 0x200b && c <= 0x200f) ||
           (c >= 0x2028 && c <= 0x202e) || (c >= 0x2060 && c <= 0x206f) || c == 0xfeff;
}

}  // namespace

std::string TextoVisivel(std::string_view texto) {
    std::string visivel;
    visivel.reserve(texto.size());
    for (std::string_view c : platform::utf8Characters(texto)) {
        const bool invalido = c.size() == 1 && static_cast<unsigned char>(c[0]) >= 0x80;
        visivel += invalido || Invisivel(CodigoDe(c)) ? kSubstituto : c;
    }
    return visivel;
}

std::string EscapaHtml(std::string_view texto) {
    std::string html;
    for (char c : TextoVisivel(texto)) {
        switch (c) {
            case '&': html += "&amp;"; break;
            case '<': html += "&lt;"; break;
            case '>': html += "&gt;"; break;
            case '"': html += "&quot;"; break;
            case '\'': html += "&#39;"; break;
            default: html += c;
        }
    }
    return html;
}

}  // namespace frota
