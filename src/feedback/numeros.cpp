#include "feedback/numeros.h"

#include "platform/text.h"

namespace feedback {

std::string FormataMilhar(int64_t value, const std::string& separator) {
    // Through unsigned arithmetic, so that the smallest 64-bit value has a magnitude too.
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

int64_t Kilobytes(int64_t bytes) {
    if (bytes <= 0) return 0;
    return bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
}

std::string CompletaDireita(const std::string& text, char fill, int width) {
    const size_t length = platform::utf8Length(text);
    if (width <= 0 || static_cast<size_t>(width) <= length) return text;
    return text + std::string(static_cast<size_t>(width) - length, fill);
}

}  // namespace feedback
