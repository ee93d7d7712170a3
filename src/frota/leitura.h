// Reading a state record back. Every record was written by some terminal (or by anyone who can
// write to the share): nothing in it is trusted, and whatever is not exactly a record of ours is
// refused whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frota/estado.h"
#include "platform/platform.h"

namespace frota {

class RegistroLido {
public:
    explicit RegistroLido(std::vector<Campo> campos) : campos_(std::move(campos)) {}
    // The first value of a key; none when the record lacks it.
    std::optional<std::string> Valor(std::string_view chave) const;
    // Every value of a key, in the record's order (the items of a list).
    std::vector<std::string> Itens(std::string_view chave) const;
    const std::vector<Campo>& Campos() const { return campos_; }

private:
    std::vector<Campo> campos_;
};

// None unless the bytes are a record: at most kLimiteRegistro bytes of valid UTF-8 (a leading
// byte-order mark allowed), the signature as the first line, then lines that are empty or
// "key=value" with a key of lower-case ASCII letters, digits and "_"; LF or CR LF line ends and
// no other control character.
std::optional<RegistroLido> LeRegistro(std::string_view bytes);

// At most one byte past kLimiteRegistro of a regular file (never a pipe or a device); none when
// it cannot be read. `tamanhoListado`, the size a listing gave, saves the read that would only
// find the end.
std::optional<std::string> LeLimitado(platform::FileSystem& files, const std::string& caminho,
                                      uint64_t tamanhoListado = kLimiteRegistro + 1);

}  // namespace frota
