// The run's journal of changes: before a run lets a copy or the clean-up change a file of the
// program folder, it notes here what it is about to replace (the version a step back must give
// back) and which server version it brings. The record is written once, at the end: a run killed
// on the way (a power cut), or one whose record could not be written (a full disk, a read-only
// record), leaves its lines here, and the next run or step back takes them into the record from
// what the files show. The journal goes once a record that knows its runs is written.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acervo/acervo.h"
#include "platform/platform.h"

namespace retorno {

inline constexpr std::string_view kDiario = "diario.txt";  // inside the kept versions' folder

struct LinhaDoDiario {
    uint64_t execucao = 0;
    std::string nome;                             // as the catalogue names it
    std::optional<platform::FileStamp> servidor;  // the server version it brings; none from the clean-up
    std::optional<platform::FileStamp> anterior;  // what a step back gives back; none: the file is new
};

std::string TextoDaLinha(const LinhaDoDiario& linha);
// Lines whole and well formed; a line a kill cut short is left out.
std::vector<LinhaDoDiario> LinhasDoDiario(std::string_view texto);

// False when the line could not be written: the change must then keep nothing.
bool Anota(platform::FileSystem& files, const std::string& pastaPrograma, const LinhaDoDiario& linha);
void ApagaDiario(platform::FileSystem& files, const std::string& pastaPrograma);

// Takes into the record what the runs it does not know replaced (their journal lines, told by the
// files as they are now): an entry per file replaced with its kept version (a second name a kill
// left pending becomes the kept one), a package the clean-up deleted and no copy brought back put
// back, leftover second names removed. The record's last run becomes the last of those runs that
// changed anything. Lines of runs the record knows are stale and change nothing.
using Aviso = std::function<void(const std::string& linha)>;
void Retoma(platform::FileSystem& files, const std::string& pastaPrograma, acervo::Acervo& acervo, const Aviso& aviso);

}  // namespace retorno
