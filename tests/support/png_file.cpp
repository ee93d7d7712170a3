#include "support/png_file.h"

#include <array>
#include <fstream>

namespace testing_support {

namespace {

uint32_t Crc(const std::string& bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Put32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

std::string Chunk(const std::string& type, const std::string& data) {
    std::string chunk;
    Put32(chunk, static_cast<uint32_t>(data.size()));
    const std::string body = type + data;
    chunk += body;
    Put32(chunk, Crc(body));
    return chunk;
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string Stored(const std::string& raw) {
    std::string out = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    size_t offset = 0;
    do {
        const size_t size = std::min<size_t>(65535, raw.size() - offset);
        out += static_cast<char>(offset + size == raw.size() ? 1 : 0);
        out += static_cast<char>(size & 0xFF);
        out += static_cast<char>(size >> 8);
        out += static_cast<char>(~size & 0xFF);
        out += static_cast<char>((~size >> 8) & 0xFF);
        out.append(raw, offset, size);
        offset += size;
    } while (offset < raw.size());
    Put32(out, b << 16 | a);
    return out;
}

}  // namespace

bool WritePng(const ui::Picture& picture, const std::string& path) {
    std::string header;
    Put32(header, static_cast<uint32_t>(picture.width));
    Put32(header, static_cast<uint32_t>(picture.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
    std::string raw;
    for (int y = 0; y < picture.height; ++y) {
        raw += '\0';
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.at(x, y);
            raw += static_cast<char>(pixel >> 16);
            raw += static_cast<char>(pixel >> 8);
            raw += static_cast<char>(pixel);
        }
    }
    std::ofstream file(path, std::ios::binary);
    file << "\x89PNG\r\n\x1a\n" << Chunk("IHDR", header) << Chunk("IDAT", Stored(raw)) << Chunk("IEND", "");
    return static_cast<bool>(file);
}

}  // namespace testing_support
