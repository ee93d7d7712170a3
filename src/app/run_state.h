// The process-wide run state of the one update run of this process, and the command line.
// Everything starts empty (false) at program start and lives until the process ends.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace app {

inline std::string ListaAtualizados;  // the updated-files report
inline std::string ArqOrigem;         // server file of the copy in hand
inline std::string ArqDestino;        // terminal file of the copy in hand
inline bool ServidorAberto = false;   // the server program had to be ended
inline bool VoltarPedido = false;     // --voltar: this run takes the last update back

// Keeps the command line; arguments beyond the second are ignored. "--voltar", wherever it
// stands, sets VoltarPedido and counts as no argument, so "F" still comes first.
void GuardaArgumentos(int argc, const char* const* argv);
// The same from the command line's arguments, the program's own name first.
void GuardaArgumentos(const std::vector<std::string>& argumentos);
// Argument 1 or 2 of the command line; a missing argument is empty text.
const std::string& ParamStr(int index);
// Argument 2 is exactly "design", letter case included.
bool ModoDesign();
// When the command line was kept, that is when the program started.
std::time_t InicioDoPrograma();
// The log's start entry is written once per program start (the package window may come first).
bool InicioRegistrado();
void MarcaInicioRegistrado();

}  // namespace app
