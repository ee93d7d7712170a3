// The run log: a readable record of each run, appended line by line to a file beside the program,
// so that support can see what a run did. Bounded whatever fails: past 1 MiB the file becomes the
// older generation (one is kept) and a new one begins; when the older generation cannot be
// replaced (read-only, or a viewer holds a file open on Windows) the log keeps its newer half;
// when the log cannot be shortened either, the entry is not written. Writing it never changes
// what the run does: a log that cannot be written is simply not written.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace app {

// No mask of the old-version clean-up matches either name (they end in ".log").
inline constexpr std::string_view kNomeLog = "AtualizaTerminalQOR7.log";
inline constexpr std::string_view kNomeLogAnterior = "AtualizaTerminalQOR7.anterior.log";
inline constexpr int64_t kTamanhoMaximoLog = 1024 * 1024;

class RegistroExecucao {
public:
    RegistroExecucao() = default;  // writes nowhere
    RegistroExecucao(std::shared_ptr<platform::FileSystem> files, const std::string& pastaPrograma);

    // One entry: the local time, then the text; a carriage return in it continues the entry on an
    // indented line. Never throws.
    void Escreve(std::string_view texto) noexcept;
    // The same, stamped with an earlier time (what happened then is written only now).
    void Escreve(std::string_view texto, std::time_t quando) noexcept;

private:
    void Grava(const std::string& linha);
    bool Cabe(const std::string& linha);
    void Encurta();

    std::shared_ptr<platform::FileSystem> files_;
    std::string caminho_, anterior_;
    bool semEspaco_ = false;  // no room could be made: later entries that do not fit are dropped
};

// The first entry of a program start: version, build and the arguments by position, stamped with
// the time the program started. Written once per start: by the package window when it comes
// first, else by the run.
void RegistraInicio(RegistroExecucao& registro);

}  // namespace app
