#include "feedback/progresso.h"

#include <algorithm>

#include "feedback/numeros.h"

namespace feedback {

void MostraInicio(ui::TLabel& LabTotalBytes, ui::TProgressBar& pgbr, int64_t bytesCount,
                  const std::string& separator) {
    LabTotalBytes.Caption = "Total: " + FormataMilhar(bytesCount, separator);
    pgbr.SetPosition(0);
    pgbr.SetMin(pgbr.Position());
    pgbr.SetMax(std::max<int64_t>(bytesCount, pgbr.Min()));
}

void MostraProgresso(ui::TLabel& LabBytesCopiados, ui::TProgressBar& pgbr, int64_t bytesProc,
                     const std::string& separator) {
    pgbr.SetPosition(bytesProc);
    LabBytesCopiados.Caption = FormataMilhar(bytesProc, separator) + " bytes processados";
}

std::string PerguntaCriarDiretorio(const std::string& dirDest) {
    return "O diretório de destino\r" + dirDest + "\r" + "não existe. Deseja cria-lo agora?";
}

}  // namespace feedback
