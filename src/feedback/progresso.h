// What the splash window shows while one file is copied: its size, the bytes copied so far and
// the gauge between them; and the question before a missing folder is created.
#pragma once

#include <cstdint>
#include <string>

#include "ui/controls.h"

namespace feedback {

// "Total: " and the size; the gauge back to empty with the size as its range. A negative size
// (nothing a copy reports, but the gauge refuses it) gives the range 0 to 0.
void MostraInicio(ui::TLabel& LabTotalBytes, ui::TProgressBar& pgbr, int64_t bytesCount,
                  const std::string& separator);

// The gauge at the bytes copied and "<bytes> bytes processados".
void MostraProgresso(ui::TLabel& LabBytesCopiados, ui::TProgressBar& pgbr, int64_t bytesProc,
                     const std::string& separator);

// "O diretório de destino\r<folder>\rnão existe. Deseja cria-lo agora?"
std::string PerguntaCriarDiretorio(const std::string& dirDest);

}  // namespace feedback
