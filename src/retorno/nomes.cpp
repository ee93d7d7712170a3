#include "retorno/nomes.h"

#include <vector>

#include "platform/text.h"

namespace retorno {

namespace {

bool Separador(char c) { return c == '\\' || c == '/'; }

// The components left once "." and ".." are resolved; none when the name climbs out. The Windows
// reading drops trailing dots and blanks first, so that "..." climbs and "x." is "x".
std::optional<std::vector<std::string>> Componentes(std::string_view nome, bool leituraWindows) {
    std::vector<std::string> partes;
    size_t inicio = 0;
    for (size_t i = 0; i <= nome.size(); ++i) {
        if (i < nome.size() && !Separador(nome[i])) continue;
        std::string parte(nome.substr(inicio, i - inicio));
        inicio = i + 1;
        if (leituraWindows) {
            const size_t fica = parte.find_last_not_of(". ");
            const bool sobe = fica == std::string::npos && parte.find("..") != std::string::npos;
            parte = sobe ? ".." : fica == std::string::npos ? "" : parte.substr(0, fica + 1);
        }
        if (parte.empty() || parte == ".") continue;
        if (parte != "..") {
            partes.push_back(std::move(parte));
            continue;
        }
        if (partes.empty()) return std::nullopt;
        partes.pop_back();
    }
    return partes;
}

}  // namespace

std::optional<std::string> NomeNormal(std::string_view nome) {
    const auto partes = Componentes(nome, false);
    if (!partes || partes->empty()) return std::nullopt;
    std::string normal;
    for (const std::string& parte : *partes) normal += (normal.empty() ? "" : "\\") + parte;
    return normal;
}

bool NomeReservado(std::string_view nome) {
    for (bool leituraWindows : {false, true}) {
        const auto partes = Componentes(nome, leituraWindows);
        if (!partes || partes->empty()) continue;
        if (platform::equalsIgnoringAsciiCase(partes->front(), kPastaAnteriores)) return true;
    }
    return false;
}

std::string NomeGuardado(const std::string& nomeNormal) {
    return std::string(kPastaAnteriores) + "\\" + std::string(kGuardadas) + "\\" + nomeNormal;
}

std::string NomePendente(const std::string& nomeNormal) {
    return std::string(kPastaAnteriores) + "\\" + std::string(kPendentes) + "\\" + nomeNormal;
}

}  // namespace retorno
