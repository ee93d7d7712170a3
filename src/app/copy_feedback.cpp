// The splash window's handlers of FxFileManager1's events: thin calls into feedback/.
#include "app/atualiza_modulo.h"
#include "app/run_state.h"
#include "feedback/erros.h"
#include "feedback/progresso.h"
#include "feedback/relatorio.h"
#include "platform/text.h"

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
    const std::string pasta = platform::pathForDisplay(Sender.DirDest());
    const ui::Answer answer = Caixa(ui::BoxKind::Confirmation, feedback::PerguntaCriarDiretorio(pasta));
    if (answer == ui::Answer::Yes) CanCreate = true;
    else Copias.Recusada("a pasta " + pasta + " não foi criada: resposta Não à pergunta");
}

void TFrmAtuModulo::FxFileManager1End(fileops::TFxFileManager& Sender, fileops::TFxFileStatus) {
    // The report's lines come from the copies' outcomes once the copy is over: a module whose copy
    // reached its end but stayed old must not be listed as updated.
    if (!Sender.InfoSrc().Name.empty()) Copias.Origem(Sender.InfoSrc().Name, Sender.InfoSrc().Size);
}

void TFrmAtuModulo::FxFileManager1Error(fileops::TFxFileManager& Sender, fileops::TFxFileError Error) {
    Aplicacao.SetArrowCursor();
    const std::string texto = feedback::TextoErro(Error, platform::pathForDisplay(Sender.Source()),
                                                  platform::pathForDisplay(Sender.InfoDest().Path), Sender.InfoDest().Name);
    Copias.Erro("Método 01 (" + texto + ")");
    feedback::MostraErroECopiaDeNovo(
        {IErro, lErroM1, lErroM2, Label3}, texto,
        [this] {
            Aplicacao.ProcessMessages();
            Aplicacao.PaintPending();  // the error, then the fallback copy that blocks, are on the screen
        },
        [this] {
            const bool copiou = feedback::CopiaAlternativa(*Plataforma.files, ArqOrigem, ArqDestino);
            Copias.Alternativa(copiou);
            return copiou;
        });
}

}  // namespace app
