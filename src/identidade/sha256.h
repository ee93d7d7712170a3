// SHA-256 of a build's files: the identity a publish gives each file, which a terminal checks with
// local reads only. The processor's own instructions are used where it has them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace identidade {

using Resumo = std::array<uint8_t, 32>;

enum class Calculo {
    Automatico,  // the processor's SHA instructions when present
    Portatil,    // plain C++ on every processor (tests hold both to the same answers)
};

class Sha256 {
public:
    explicit Sha256(Calculo calculo = Calculo::Automatico);
    void Add(std::string_view bytes);
    Resumo Value();  // ends the computation

private:
    void Blocks(const uint8_t* data, size_t count);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> pending_{};
    size_t pendingSize_ = 0;
    uint64_t total_ = 0;
    bool native_ = false;
};

Resumo Sha256Of(std::string_view bytes, Calculo calculo = Calculo::Automatico);

// Whether this processor computes it with its own instructions.
bool InstrucoesNativas();

// The whole file from its start, in steps of 1 MiB; none when it cannot be read to its end.
std::optional<Resumo> Sha256OfFile(platform::FileSystem& files, const std::string& path);

std::string TextoDoResumo(const Resumo& resumo);  // 64 lower-case hex digits
std::optional<Resumo> ResumoDoTexto(std::string_view texto);

}  // namespace identidade
