// The splash window's handlers of FxFileManager1's events: thin calls into feedback/.
#include "app/atualiza_modulo.h"
#include "app/run_state.h"
#include "feedback/erros.h"
#include "feedback/progresso.h"
#include "feedback/relatorio.h"

namespace app {

void TFrmAtuModulo::FxFileManager1Start(fileops::TFxFileManager& Sender) {
    Aplicacao.SetArrowCursor();
    feedback::MostraInicio(LabTotalBytes, pgbr, Sender.BytesCount(), SeparadorMilhar);
}

void TFrmAtuModulo::FxFileManager1Progress(fileops::TFxFileManager& Sender) {
    feedback::MostraProgresso(LabBytesCopiados, pgbr, Sender.BytesProc(), SeparadorMilhar);
    Aplicacao.ProcessMessages();
}

void TFrmAtuModulo::FxFileManager1CreateDirectory(fileops::TFxFileManager& Sender, bool& CanCreate) {
    const ui::Answer answer =
        Aplicacao.MessageBox(ui::BoxKind::Confirmation, feedback::PerguntaCriarDiretorio(Sender.DirDest()));
    if (answer == ui::Answer::Yes) CanCreate = true;
}

void TFrmAtuModulo::FxFileManager1End(fileops::TFxFileManager& Sender, fileops::TFxFileStatus) {
    const fileops::TFxFileInfo& origem = Sender.InfoSrc();
    if (feedback::EhModuloExecutavel(origem.Name))
        ListaAtualizados += feedback::LinhaRelatorio(origem.Name, origem.Size, SeparadorMilhar);
}

void TFrmAtuModulo::FxFileManager1Error(fileops::TFxFileManager& Sender, fileops::TFxFileError Error) {
    Aplicacao.SetArrowCursor();
    const std::string texto =
        feedback::TextoErro(Error, Sender.Source(), Sender.InfoDest().Path, Sender.InfoDest().Name);
    feedback::MostraErroECopiaDeNovo({IErro, lErroM1, lErroM2, Label3}, texto, [this] { Aplicacao.ProcessMessages(); },
                                     [this] { feedback::CopiaAlternativa(*Plataforma.files, ArqOrigem, ArqDestino); });
}

}  // namespace app
