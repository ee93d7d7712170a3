#include "app/run_state.h"

namespace app {

namespace {
std::string argumentos[2];
const std::string vazio;
std::time_t inicio = 0;
bool inicioRegistrado = false;

// A new command line is a new program start.
void ComecaPrograma() {
    inicio = std::time(nullptr);
    inicioRegistrado = false;
}
}  // namespace

void GuardaArgumentos(int argc, const char* const* argv) {
    for (int i = 0; i < 2; ++i) argumentos[i] = i + 1 < argc && argv[i + 1] ? argv[i + 1] : "";
    ComecaPrograma();
}

void GuardaArgumentos(const std::vector<std::string>& lista) {
    for (size_t i = 0; i < 2; ++i) argumentos[i] = i + 1 < lista.size() ? lista[i + 1] : "";
    ComecaPrograma();
}

std::time_t InicioDoPrograma() { return inicio ? inicio : std::time(nullptr); }
bool InicioRegistrado() { return inicioRegistrado; }
void MarcaInicioRegistrado() { inicioRegistrado = true; }

const std::string& ParamStr(int index) {
    return index == 1 || index == 2 ? argumentos[index - 1] : vazio;
}

bool ModoDesign() { return ParamStr(2) == "design"; }

}  // namespace app
