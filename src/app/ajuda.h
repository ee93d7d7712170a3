// What the program answers, without updating anything, to a person who asks it for help or for
// its version on the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

// The version the splash window shows ("1.05") and the build it came from.
std::string Versao();
std::string Compilacao();

// The usage (for --help, -h, and /? on Windows) or the version line (--version), when any
// argument after the program's name asks for one of them; the first such argument wins.
// `pastaPrograma` is where the run log lies. Nothing otherwise: the run goes ahead.
std::optional<std::string> TextoInformativo(const std::vector<std::string>& argumentos,
                                            const std::string& pastaPrograma);

}  // namespace app
