#include "frota/tempo.h"

#include "platform/dos_time.h"

namespace frota {

namespace {

std::string Formata(const std::tm* t, const char* formato) {
    char texto[40] = "";
    if (t) std::strftime(texto, sizeof texto, formato, t);
    return texto;
}

}  // namespace

std::string HoraLocal(std::time_t t) { return Formata(std::localtime(&t), "%Y-%m-%d %H:%M:%S"); }

std::string HoraUtc(std::time_t t) { return Formata(std::gmtime(&t), "%Y-%m-%dT%H:%M:%SZ"); }

std::optional<std::time_t> HoraDeUtc(std::string_view texto) {
    constexpr std::string_view kForma = "0000-00-00T00:00:00Z";
    if (texto.size() != kForma.size()) return std::nullopt;
    for (size_t i = 0; i < texto.size(); ++i)
        if (kForma[i] == '0' ? (texto[i] < '0' || texto[i] > '9') : texto[i] != kForma[i]) return std::nullopt;
    const auto numero = [&](size_t inicio, size_t n) { return std::stoi(std::string(texto.substr(inicio, n))); };
    std::tm t = {};
    t.tm_year = numero(0, 4) - 1900, t.tm_mon = numero(5, 2) - 1, t.tm_mday = numero(8, 2);
    t.tm_hour = numero(11, 2), t.tm_min = numero(14, 2), t.tm_sec = numero(17, 2);
#ifdef _WIN32
    const std::time_t hora = _mkgmtime(&t);
#else
    const std::time_t hora = timegm(&t);
#endif
    if (hora == static_cast<std::time_t>(-1) || HoraUtc(hora) != texto) return std::nullopt;  // 2026-02-31 and the like
    return hora;
}

std::optional<std::time_t> HoraDeDos(uint32_t dos) {
    const platform::LocalDateTime d = platform::unpackDosDateTime(dos);
    std::tm t = {};
    t.tm_year = d.year - 1900, t.tm_mon = d.month - 1, t.tm_mday = d.day;
    t.tm_hour = d.hour, t.tm_min = d.minute, t.tm_sec = d.second;
    t.tm_isdst = -1;  // the system knows whether summer time applied then
    const std::time_t hora = std::mktime(&t);
    if (hora == static_cast<std::time_t>(-1)) return std::nullopt;
    return hora;
}

std::time_t HoraDeArquivo(int64_t fileTime) {
    constexpr int64_t kSegundos1601A1970 = 11644473600, kPassosPorSegundo = 10000000;
    return static_cast<std::time_t>(fileTime / kPassosPorSegundo - kSegundos1601A1970);
}

}  // namespace frota
