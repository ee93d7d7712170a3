// A 64-bit digest of a file's content, fast enough to check tens of megabytes at every run: it
// tells whether the bytes a copy left on the terminal are still there, not who wrote them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace acervo {

class Digest {
public:
    void Add(std::string_view bytes);
    uint64_t Value() const;

private:
    void Stripe(const unsigned char* data);

    std::array<uint64_t, 4> lanes_{};
    std::array<unsigned char, 32> pending_{};
    size_t pendingSize_ = 0;
    uint64_t total_ = 0;
    bool started_ = false;
};

uint64_t DigestOf(std::string_view bytes);

// The digest of a whole file read from the start; none when it cannot be read to its end.
std::optional<uint64_t> DigestOfFile(platform::FileSystem& files, const std::string& path);

std::string DigestText(uint64_t digest);                     // 16 lower-case hex digits
std::optional<uint64_t> DigestFromText(std::string_view text);

}  // namespace acervo
