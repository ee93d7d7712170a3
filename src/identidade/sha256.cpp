#include "identidade/sha256.h"

#include <algorithm>
#include <cstring>
#include <memory>

#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define IDENTIDADE_SHA_X86 1
#endif

namespace identidade {

namespace {

alignas(16) constexpr uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::array<uint32_t, 8> kInicio = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void BlocksPortable(uint32_t* state, const uint8_t* data, size_t count) {
    for (; count > 0; --count, data += 64) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i) w[i] = BigEndian32(data + 4 * i);
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + K[i] + w[i];
            const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
        }
        state[0] += a, state[1] += b, state[2] += c, state[3] += d;
        state[4] += e, state[5] += f, state[6] += g, state[7] += h;
    }
}

#ifdef IDENTIDADE_SHA_X86
bool HasShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return ssse3 && sse41 && (b & (1u << 29));
}

// Four rounds per step; the message schedule runs three steps ahead in the four registers.
__attribute__((target("sha,sse4.1,ssse3"))) void BlocksNative(uint32_t* state, const uint8_t* data, size_t count) {
    const __m128i mask = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);  // CDAB
    __m128i state1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);  // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);        // CDGH
    for (; count > 0; --count, data += 64) {
        const __m128i abef = state0, cdgh = state1;
        __m128i w[4];
        for (int g = 0; g < 16; ++g) {
            if (g < 4) w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)), mask);
            __m128i msg = _mm_add_epi32(w[g % 4], _mm_load_si128(reinterpret_cast<const __m128i*>(K + 4 * g)));
            state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
            if (g >= 3 && g < 15) {
                const __m128i next = _mm_add_epi32(w[(g + 1) % 4], _mm_alignr_epi8(w[g % 4], w[(g + 3) % 4], 4));
                w[(g + 1) % 4] = _mm_sha256msg2_epu32(next, w[g % 4]);
            }
            msg = _mm_shuffle_epi32(msg, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
            if (g >= 1 && g < 13) w[(g + 3) % 4] = _mm_sha256msg1_epu32(w[(g + 3) % 4], w[g % 4]);
        }
        state0 = _mm_add_epi32(state0, abef);
        state1 = _mm_add_epi32(state1, cdgh);
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);      // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);   // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), state1);
}
#else
bool HasShaInstructions() { return false; }
void BlocksNative(uint32_t* state, const uint8_t* data, size_t count) { BlocksPortable(state, data, count); }
#endif

}  // namespace

bool InstrucoesNativas() {
    static const bool has = HasShaInstructions();
    return has;
}

Sha256::Sha256(Calculo calculo) : state_(kInicio), native_(calculo == Calculo::Automatico && InstrucoesNativas()) {}

void Sha256::Blocks(const uint8_t* data, size_t count) {
    if (native_) BlocksNative(state_.data(), data, count);
    else BlocksPortable(state_.data(), data, count);
}

void Sha256::Add(std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t size = bytes.size();
    total_ += size;
    if (pendingSize_ > 0) {
        const size_t take = std::min(size, pending_.size() - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, data, take);
        pendingSize_ += take, data += take, size -= take;
        if (pendingSize_ < pending_.size()) return;
        Blocks(pending_.data(), 1);
        pendingSize_ = 0;
    }
    Blocks(data, size / 64);
    data += size / 64 * 64;
    pendingSize_ = size % 64;
    std::memcpy(pending_.data(), data, pendingSize_);
}

Resumo Sha256::Value() {
    const uint64_t bits = total_ * 8;
    uint8_t tail[72] = {0x80};
    const size_t padding = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
    for (int i = 0; i < 8; ++i) tail[padding + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    Add(std::string_view(reinterpret_cast<const char*>(tail), padding + 8));
    Resumo resumo{};
    for (size_t i = 0; i < 8; ++i)
        for (size_t j = 0; j < 4; ++j) resumo[4 * i + j] = static_cast<uint8_t>(state_[i] >> (24 - 8 * j));
    return resumo;
}

Resumo Sha256Of(std::string_view bytes, Calculo calculo) {
    Sha256 sha(calculo);
    sha.Add(bytes);
    return sha.Value();
}

std::optional<Resumo> Sha256OfFile(platform::FileSystem& files, const std::string& path) {
    std::unique_ptr<platform::File> file = files.openRead(path);
    if (!file) return std::nullopt;
    const auto buffer = std::make_unique_for_overwrite<char[]>(platform::kCopyReadBytes);
    Sha256 sha;
    for (;;) {
        const int64_t got = file->read(buffer.get(), platform::kCopyReadBytes);
        if (got < 0) return std::nullopt;
        if (got == 0) return sha.Value();
        sha.Add(std::string_view(buffer.get(), static_cast<size_t>(got)));
    }
}

std::string TextoDoResumo(const Resumo& resumo) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string texto;
    texto.reserve(64);
    for (uint8_t byte : resumo) texto += {kHex[byte >> 4], kHex[byte & 0xF]};
    return texto;
}

std::optional<Resumo> ResumoDoTexto(std::string_view texto) {
    if (texto.size() != 64) return std::nullopt;
    Resumo resumo{};
    for (size_t i = 0; i < 64; ++i) {
        const char c = texto[i];
        int digito;
        if (c >= '0' && c <= '9') digito = c - '0';
        else if (c >= 'a' && c <= 'f') digito = c - 'a' + 10;
        else return std::nullopt;
        resumo[i / 2] = static_cast<uint8_t>(resumo[i / 2] << 4 | digito);
    }
    return resumo;
}

}  // namespace identidade
