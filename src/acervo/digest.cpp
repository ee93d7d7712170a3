#include "acervo/digest.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace acervo {

namespace {

constexpr uint64_t P1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t P2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t P3 = 0x165667B19E3779F9ULL;
constexpr uint64_t P4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t P5 = 0x27D4EB2F165667C5ULL;

uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// Little-endian whatever the machine, so that a record means the same everywhere.
uint64_t Read64(const unsigned char* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

uint32_t Read32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint64_t Round(uint64_t acc, uint64_t input) { return Rotl(acc + input * P2, 31) * P1; }

uint64_t Merge(uint64_t acc, uint64_t lane) { return (acc ^ Round(0, lane)) * P1 + P4; }

}  // namespace

void Digest::Stripe(const unsigned char* data) {
    if (!started_) {
        lanes_ = {P1 + P2, P2, 0, 0 - P1};
        started_ = true;
    }
    for (int i = 0; i < 4; ++i) lanes_[static_cast<size_t>(i)] = Round(lanes_[static_cast<size_t>(i)], Read64(data + 8 * i));
}

void Digest::Add(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    total_ += size;
    if (pendingSize_ > 0) {
        const size_t take = std::min(size, pending_.size() - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, data, take);
        pendingSize_ += take;
        data += take;
        size -= take;
        if (pendingSize_ < pending_.size()) return;
        Stripe(pending_.data());
        pendingSize_ = 0;
    }
    for (; size >= pending_.size(); data += pending_.size(), size -= pending_.size()) Stripe(data);
    std::memcpy(pending_.data(), data, size);
    pendingSize_ = size;
}

uint64_t Digest::Value() const {
    uint64_t h;
    if (started_) {
        h = Rotl(lanes_[0], 1) + Rotl(lanes_[1], 7) + Rotl(lanes_[2], 12) + Rotl(lanes_[3], 18);
        for (uint64_t lane : lanes_) h = Merge(h, lane);
    } else {
        h = P5;
    }
    h += total_;
    const unsigned char* p = pending_.data();
    size_t left = pendingSize_;
    for (; left >= 8; p += 8, left -= 8) h = Rotl(h ^ Round(0, Read64(p)), 27) * P1 + P4;
    if (left >= 4) {
        h = Rotl(h ^ (static_cast<uint64_t>(Read32(p)) * P1), 23) * P2 + P3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left) h = Rotl(h ^ (*p * P5), 11) * P1;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    return h ^ (h >> 32);
}

uint64_t DigestOf(std::string_view bytes) {
    Digest digest;
    digest.Add(bytes);
    return digest.Value();
}

std::optional<uint64_t> DigestOfFile(platform::FileSystem& files, const std::string& path) {
    std::unique_ptr<platform::File> file = files.openRead(path);
    if (!file) return std::nullopt;
    constexpr int64_t kStep = 1 << 20;
    const auto buffer = std::make_unique_for_overwrite<char[]>(kStep);
    Digest digest;
    for (;;) {
        const int64_t got = file->read(buffer.get(), kStep);
        if (got < 0) return std::nullopt;
        if (got == 0) return digest.Value();
        digest.Add(std::string_view(buffer.get(), static_cast<size_t>(got)));
    }
}

std::string DigestText(uint64_t digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, digest >>= 4) text[static_cast<size_t>(i)] = kHex[digest & 0xF];
    return text;
}

std::optional<uint64_t> DigestFromText(std::string_view text) {
    if (text.size() != 16) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return std::nullopt;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    return value;
}

}  // namespace acervo
