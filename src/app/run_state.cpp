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
    std::vector<std::string> lista;
    for (int i = 0; i < argc; ++i) lista.emplace_back(argv[i] ? argv[i] : "");
    GuardaArgumentos(lista);
}

void GuardaArgumentos(const std::vector<std::string>& lista) {
    VoltarPedido = false;
    std::vector<std::string> outros;
    for (size_t i = 1; i < lista.size(); ++i) {
        if (lista[i] == "--voltar") VoltarPedido = true;
        else outros.push_back(lista[i]);
    }
    for (size_t i = 0; i < 2; ++i) argumentos[i] = i < outros.size() ? outros[i] : "";
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
