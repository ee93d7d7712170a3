// Finding and ending the suite's running modules. The splash window's methods of the same names
// are thin calls into these functions; the process table comes in as a platform object.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace process {

// The suite's module executables that list mode recognises, upper case. The updater itself is
// not among them, so it never finds or ends itself.
inline constexpr std::array<std::string_view, 22> ModulosConhecidos = {
    "DERVA7.EXE",      "MILTEQOR.EXE",     "BRONSATELVIK.EXE", "CALVORESTE7.EXE",
    "PENDRASO7.EXE",   "TRELUS_QOR7.EXE",  "VR_QNT.EXE",       "VR_MOSTELVA.EXE",
    "FOLKINA7.EXE",    "GRAVIT7.EXE",      "SOLVERANO7.EXE",   "HALDENMOR7.EXE",
    "PRUMSELDAVIS.EXE", "TESKARONI7.EXE",  "NAVELTO7.EXE",     "RUSKAVELO7.EXE",
    "BIMRO7.EXE",      "SERVERQOR.EXE",    "LUNDAMI7.EXE",     "QOR7.EXE",
    "WELMONTARA7.EXE", "VIEWLOGQOR7.EXE",
};

inline constexpr std::string_view ServidorQor = "SERVERQOR.EXE";

// Both look only at the processes of the updater's own session (on POSIX: of its own user).

// Named mode (Aplicacao holds more than codes 0..32): the first process of that executable name;
// its identifier goes to Handel. List mode: the first process, in the platform's order, that is a
// suite module; ServidorAberto, while false, becomes whether that module is the server program.
// Returns the executable name upper-cased, or empty when nothing was found.
std::string VerModuloAberto(platform::Processes& processes, const std::string& Aplicacao,
                            uintptr_t& Handel, bool& ServidorAberto);

// Ends every process whose executable (whole, or its file-name part) is ExeFileName. Returns the
// outcome of the last termination request (1 accepted, 0 refused), or 0 when nothing matched.
int32_t KillTask(platform::Processes& processes, const std::string& ExeFileName);

}  // namespace process
