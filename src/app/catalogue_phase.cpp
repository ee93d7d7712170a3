// The catalogue phase of the update run: the work list in Memo1, the sweeps, and the walk that
// copies, one file per Execute, what the terminal lacks or holds older.
#include "app/atualiza_modulo.h"
#include "app/catalogue.h"
#include "app/run_state.h"
#include "settings/retorna_caminho.h"

namespace app {

void TFrmAtuModulo::CarregaListaDeTrabalho() {
    Memo1.Lines.clear();
    const std::string pastaTabDef = settings::RetornaCaminho(Plataforma, "TD");
    Memo1.Lines = CarregaCatalogo(*Plataforma.files, *Plataforma.system, pastaTabDef + std::string(kCatalogo));
}

void TFrmAtuModulo::FaseCatalogo(const std::string& pastaServidor) {
    const std::string pastaPrograma = PastaPrograma();
    for (const char* mask : {"*.BPL", "*.DLL"})
        for (std::string& nome : VarreServidor(*Plataforma.files, pastaServidor, pastaPrograma, mask))
            Memo1.Lines.push_back(std::move(nome));
    if (Memo1.Lines.empty()) {
        Aplicacao.MessageBox(ui::BoxKind::Plain, "Atenção o Arquivo: " + settings::RetornaCaminho(Plataforma, "TD") +
                                                     std::string(kCatalogo) +
                                                     " não foi carregado, favor atualizar o TABDEF.");
        return;
    }
    const size_t total = Memo1.Lines.size();
    for (LinhaAtual = 0; LinhaAtual < total; ++LinhaAtual) {
        const LinhaDoCatalogo linha = ClassificaLinha(Memo1.Line(LinhaAtual));
        lbArquivo.Caption = linha.rotulo;
        Aplicacao.ProcessMessages();
        // A name that would write outside the program folder is treated like a file the server lacks.
        if (NaListaDePulo(linha.nome) || !NomeSeguro(linha.nome)) continue;
        const std::string origem = pastaServidor + linha.nome;
        const std::string destino = pastaPrograma + linha.nome;
        if (PrecisaCopiar(*Plataforma.files, origem, destino)) CopiaArquivo(origem, destino);
    }
    LinhaAtual = kNenhumaLinha;
}

void TFrmAtuModulo::CopiaArquivo(const std::string& origem, const std::string& destino) {
    lbArquivo2.Caption = origem;
    Label3.Caption = "Aguarde ...";
    Aplicacao.ProcessMessages();
    ArqOrigem = origem;
    ArqDestino = destino;
    FxFileManager1.SetSource(ArqOrigem);
    FxFileManager1.SetDestination(ArqDestino);
    FxFileManager1.Execute();
    lbArquivo2.Caption = "";
}

}  // namespace app
