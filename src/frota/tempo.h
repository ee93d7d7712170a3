// Times as the fleet's records and pages write them.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace frota {

std::string HoraLocal(std::time_t t);  // "2026-12-09 10:41:21", this machine's local time
std::string HoraUtc(std::time_t t);    // "2026-12-09T13:41:21Z"
// HoraUtc's text back; none unless it is exactly of that form and a real time.
std::optional<std::time_t> HoraDeUtc(std::string_view texto);
// A packed DOS date-time (local time, as a folder listing gives it) as a point in time.
std::optional<std::time_t> HoraDeDos(uint32_t dos);
// A file time (UTC, 100-ns steps since 1601) as a point in time.
std::time_t HoraDeArquivo(int64_t fileTime);

}  // namespace frota
