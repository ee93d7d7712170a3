// The mark every build of the updater carries at the very end of its file, written by the build
// after the link (and again after a release strips the program):
//   "\n#ATUALIZA-MARCA versao=<v> compilacao=<id> tamanho=<bytes before the mark> sha256=<sum>\n"
// Read from the file without running it: a file without it, cut short, changed after the build,
// or not a program of this system is no build of ours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace renovacao {

inline constexpr std::string_view kInicioDaMarca = "\n#ATUALIZA-MARCA ";

struct Marca {
    std::string versao;
    std::string compilacao;
    uint64_t tamanho = 0;  // bytes of the program before its mark
    bool operator==(const Marca&) const = default;
};

struct LeituraDaMarca {
    std::optional<Marca> marca;  // none: no build of ours
    std::string motivo;          // why not, in Portuguese
};

// Reads the whole file once: the program's format, the mark, and the sum of what precedes it.
LeituraDaMarca LeMarca(platform::FileSystem& files, const std::string& caminho);

// The mark's own text for a program of `tamanho` bytes whose sum is `sha256`.
std::string TextoDaMarca(const Marca& marca, const std::string& sha256);

}  // namespace renovacao
