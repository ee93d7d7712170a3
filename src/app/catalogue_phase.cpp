// The catalogue phase of the update run: the work list in Memo1, the sweeps, and the walk that
// copies, one file per Execute, what the terminal lacks or holds older.
#include "app/atualiza_modulo.h"
#include "app/catalogue.h"
#include "app/run_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/text.h"
#include "settings/retorna_caminho.h"

namespace app {

void TFrmAtuModulo::CarregaListaDeTrabalho() {
    Memo1.Lines.clear();
    const std::string pastaTabDef = settings::RetornaCaminho(Plataforma, "TD");
    const std::string catalogo = pastaTabDef + std::string(kCatalogo);
    Memo1.Lines = CarregaCatalogo(*Plataforma.files, *Plataforma.system, catalogo);
    Registro.Escreve("catálogo " + platform::pathForDisplay(catalogo) + ": " + std::to_string(Memo1.Lines.size()) +
                     " linhas");
}

void TFrmAtuModulo::FaseCatalogo(const std::string& pastaServidor) {
    const std::string pastaPrograma = PastaPrograma();
    for (const char* mask : {"*.BPL", "*.DLL"})
        for (std::string& nome : VarreServidor(*Plataforma.files, pastaServidor, pastaPrograma, mask))
            Memo1.Lines.push_back(std::move(nome));
    if (Memo1.Lines.empty()) {
        Caixa(ui::BoxKind::Plain, "Atenção o Arquivo: " +
                                      platform::pathForDisplay(settings::RetornaCaminho(Plataforma, "TD")) +
                                      std::string(kCatalogo) + " não foi carregado, favor atualizar o TABDEF.");
        return;
    }
    const size_t total = Memo1.Lines.size();
    for (LinhaAtual = 0; LinhaAtual < total; ++LinhaAtual) {
        const LinhaDoCatalogo linha = ClassificaLinha(Memo1.Line(LinhaAtual));
        lbArquivo.Caption = linha.rotulo == linha.nome ? platform::pathForDisplay(linha.rotulo) : linha.rotulo;
        Aplicacao.ProcessMessages();
        // A name that would write outside the program folder is treated like a file the server lacks.
        if (NaListaDePulo(linha.nome) || !NomeSeguro(linha.nome)) continue;
        // Paths as the user reads them: both separators reach the same file.
        const std::string origem = platform::pathForDisplay(pastaServidor + linha.nome);
        const std::string destino = platform::pathForDisplay(pastaPrograma + linha.nome);
        if (PrecisaCopiar(*Plataforma.files, origem, destino)) CopiaArquivo(origem, destino);
    }
    LinhaAtual = kNenhumaLinha;
}

void TFrmAtuModulo::CopiaArquivo(const std::string& origem, const std::string& destino) {
    lbArquivo2.Caption = origem;
    Label3.Caption = "Aguarde ...";
    Aplicacao.ProcessMessages();
    Aplicacao.PaintPending();  // opening the server's file may take long
    ArqOrigem = origem;
    ArqDestino = destino;
    FxFileManager1.SetSource(ArqOrigem);
    FxFileManager1.SetDestination(ArqDestino);
    Copias.Comeca(origem, platform::fileNamePart(origem),
                  static_cast<int64_t>(Plataforma.files->fileSize(origem).value_or(0)));
    const auto inicio = std::chrono::steady_clock::now();
    const double caixasAntes = SegundosEmCaixas;
    const bool copiou = FxFileManager1.Execute();
    const double decorrido = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    Copias.Termina(copiou, std::max(0.0, decorrido - (SegundosEmCaixas - caixasAntes)));
    RegistraCopia(Copias.Copias().back());
    lbArquivo2.Caption = "";
}

void TFrmAtuModulo::RegistraCopia(const feedback::ResultadoCopia& copia) {
    char segundos[32];
    std::snprintf(segundos, sizeof segundos, "%.2f s", copia.segundos);
    std::string texto = (copia.atualizado ? "copiado: " : "NÃO atualizado: ") + copia.nome + ", " +
                        std::to_string(copia.tamanho) + " bytes, " + segundos;
    if (!copia.erro.empty())
        texto += "\r" + copia.erro + (copia.atualizado ? " - a cópia alternativa trouxe o arquivo" : "");
    if (!copia.nota.empty()) texto += "\r" + copia.nota;
    Registro.Escreve(texto);
}

}  // namespace app
