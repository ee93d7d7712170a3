#include "frota/nome.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "platform/text.h"

namespace frota {

namespace {

constexpr std::string_view kExtensao = ".txt";
constexpr size_t kDigitos = 8;

bool CaractereDeNome(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'; }

// One spelling of a folder gives one hash: the file layer ignores letter case and takes both
// separators alike.
uint32_t HashDaPasta(std::string_view pasta) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : platform::upperAscii(pasta)) {
        hash ^= static_cast<unsigned char>(c == '/' ? '\\' : c);
        hash *= 16777619u;
    }
    return hash;
}

std::string ParteDaMaquina(std::string_view maquina) {
    std::string parte;
    for (char c : platform::upperAscii(maquina)) {
        if (parte.size() == kLimiteNomeMaquina) break;
        parte += CaractereDeNome(c) ? c : '_';
    }
    if (parte.find_first_not_of('_') == std::string::npos) parte = "TERMINAL";
    return parte;
}

}  // namespace

std::string NomeDoRegistro(std::string_view maquina, std::string_view pastaPrograma) {
    char hash[kDigitos + 1];
    std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(HashDaPasta(pastaPrograma)));
    return ParteDaMaquina(maquina) + "_" + hash + std::string(kExtensao);
}

bool EhNomeDeRegistro(std::string_view nome) {
    if (nome.size() < kExtensao.size() + kDigitos + 2) return false;
    if (!platform::equalsIgnoringAsciiCase(nome.substr(nome.size() - kExtensao.size()), kExtensao)) return false;
    const std::string_view base = nome.substr(0, nome.size() - kExtensao.size());
    const std::string_view maquina = base.substr(0, base.size() - kDigitos - 1);
    const std::string_view hash = base.substr(base.size() - kDigitos);
    if (base[maquina.size()] != '_' || maquina.size() > kLimiteNomeMaquina) return false;
    for (char c : hash)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    for (char c : maquina)
        if (!CaractereDeNome(c) && c != '_') return false;
    return true;
}

}  // namespace frota
