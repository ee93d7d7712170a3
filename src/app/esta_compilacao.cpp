// This build's version and build id, alone in their file: a second build of the program (the
// renewal's tests) links its own copy of this file, built with another version, before atu_app.
#include "app/ajuda.h"
#include "build_info.h"

namespace app {

std::string Versao() { return ATUALIZA_VERSION; }

std::string Compilacao() { return ATUALIZA_BUILD; }

}  // namespace app
