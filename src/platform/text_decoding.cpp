#include "platform/text_decoding.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "platform/platform.h"
#include "platform/text.h"

namespace platform {

namespace {

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    auto unitAt = [&](size_t i) -> uint32_t {
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return (uint32_t{hi} << 8) | lo;
    };
    std::string out;
    out.reserve(bytes.size());
    const size_t units = bytes.size() / 2;  // a trailing odd byte is no character
    for (size_t u = 0; u < units; ++u) {
        uint32_t unit = unitAt(u * 2);
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && u + 1 < units) {
            uint32_t next = unitAt((u + 1) * 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++u;
                continue;
            }
        }
        appendUtf8(out, (high || low) ? kReplacement : unit);
    }
    return out;
}

// Windows-1252 code points of the bytes 0x80..0x9F; the five unassigned bytes map to themselves,
// as the Windows conversion does.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t cp1252(unsigned char byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kCp1252High[byte - 0x80] : byte;
}

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string DecodeUtf8OrCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = utf8CharLength(bytes, i);
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (len > 1 || lead < 0x80) out.append(bytes.substr(i, len));
        else appendUtf8(out, cp1252(lead));  // a byte that is no UTF-8 of its own
        i += len;
    }
    return out;
}

std::string DecodeCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char byte : bytes) appendUtf8(out, cp1252(static_cast<unsigned char>(byte)));
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = utf8CharLength(bytes, i);
        if (len == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
        i += len;
    }
    return true;
}

namespace {

// The text of a file that starts with a byte-order mark; none without one.
std::optional<std::string> DecodeMarked(std::string_view bytes) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) return DecodeUtf8OrCp1252(bytes.substr(3));
    if (startsWith(bytes, "\xFF\xFE")) return decodeUtf16(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF")) return decodeUtf16(bytes.substr(2), true);
    return std::nullopt;
}

}  // namespace

std::string DecodeText(std::string_view bytes, const AnsiDecoder& ansi) {
    if (std::optional<std::string> marked = DecodeMarked(bytes)) return std::move(*marked);
    return IsValidUtf8(bytes) ? std::string(bytes) : ansi(bytes);
}

std::string DecodeText(std::string&& bytes, const AnsiDecoder& ansi) {
    if (std::optional<std::string> marked = DecodeMarked(bytes)) return std::move(*marked);
    return IsValidUtf8(bytes) ? std::move(bytes) : ansi(bytes);
}

void ForEachLine(std::string_view text, const std::function<void(std::string_view)>& line) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        line(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) line(text.substr(start));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&lines](std::string_view l) { lines.push_back(l); });
    return lines;
}

std::string System::decodeAnsi(std::string_view bytes) { return DecodeCp1252(bytes); }

}  // namespace platform
