// The updater renews itself. A release the administrator puts in ATUALIZADOR under the server
// program folder is taken when it is another release than the running one (later, or an earlier
// one put back) and provably a whole build of this program: its mark (marca.h), then a copy
// beside the program whose --simular must end in time, with a good status, naming the version
// the mark promised. Only then the swap, by one replacing rename, keeping the replaced updater
// beside the program; a kill at any moment leaves a working updater under the program's name.
// Where the running program cannot be replaced (Windows), the proven copy, started on its own,
// takes the name once this run has ended (Assume). The run in progress goes on with the program it started with;
// the next start runs the new one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "renovacao/memoria.h"

namespace renovacao {

inline constexpr std::string_view kPastaAtualizador = "ATUALIZADOR";

// File names on this system: "AtualizaTerminalQOR7.exe" on Windows, "AtualizaTerminalQOR7" elsewhere.
std::string NomeDoPrograma();
std::string NomeNovo();      // the copy on trial
std::string NomeAnterior();  // the one previous updater
std::string NomeSaindo();    // the running program renamed away (Windows)

// The first line of a simulation: the version and build the candidate must name.
std::string LinhaDeVersao(const std::string& versao, const std::string& compilacao);

// A build id as a mark holds it (no blanks).
std::string CompilacaoNaMarca(std::string compilacao);

enum class Desfecho { Nenhum, Tomada, Recusada, Falhou };

struct Resultado {
    Desfecho desfecho = Desfecho::Nenhum;
    std::string texto;  // "tomada: ...", "recusada: ...", "falhou: ..."; empty for Nenhum
    // Taken, but the running program could not be replaced: the copy (NomeNovo) is to be started
    // with --assumir once the run's work is done.
    bool assumir = false;
};

struct Ambiente {
    platform::FileSystem& files;
    platform::Processes& processes;
    std::string pastaPrograma;  // with its separator
    Identidade nossa;           // the running build (its build id as the mark holds it)
    double segundos = 60;       // the bound of the candidate's --simular
};

// Leftovers of a swap cut short: the copy on trial and its temporaries, the program renamed away.
void Arruma(Ambiente& ambiente);

// The whole step, once per run, after the run's own work.
Resultado Renova(Ambiente& ambiente, const std::string& pastaServidor);

// Run as the proven copy (`proprio` must be NomeNovo in the program folder and this build the
// release the memory says was taken): waits at most `segundos` for the process (pid, its start
// time) to end, then renames itself over the program in one replacing rename (a running file may
// be renamed, not replaced). Nenhum when that is not so; a program running again under the name
// refuses the rename, and everything stays for the next run.
Resultado Assume(Ambiente& ambiente, const std::string& proprio, const platform::ProcessEntry& antigo, double segundos);

// --voltar after a run that renewed the updater: the previous updater comes back, and the release
// it replaced is not taken again until ATUALIZADOR holds another file.
Resultado Devolve(Ambiente& ambiente);

}  // namespace renovacao
