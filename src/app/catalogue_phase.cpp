// The catalogue phase of the update run: the work list in Memo1, the sweeps, and the walk that
// copies, one file per Execute, what the terminal lacks or holds older.
#include "acervo/arquivo.h"
#include "acervo/digest.h"
#include "app/atualiza_modulo.h"
#include "app/catalogue.h"
#include "app/exit_status.h"
#include "app/run_state.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/text.h"
#include "process/cleanup.h"
#include "retorno/diario.h"
#include "retorno/nomes.h"
#include "settings/retorna_caminho.h"

namespace app {

void TFrmAtuModulo::CarregaListaDeTrabalho() {
    Memo1.Lines.clear();
    const std::string pastaTabDef = settings::RetornaCaminho(Plataforma, "TD");
    const std::string catalogo = pastaTabDef + std::string(kCatalogo);
    CaminhoCatalogo = catalogo;
    Memo1.Lines = CarregaCatalogo(*Plataforma.files, *Plataforma.system, catalogo);
    NomesCatalogo = NomesDoCatalogo(Memo1.Lines);
    Registro.Escreve("catálogo " + platform::pathForDisplay(catalogo) + ": " + std::to_string(Memo1.Lines.size()) +
                     " linhas");
    Acervo = acervo::Le(*Plataforma.files, PastaPrograma());
    // What a run killed before it wrote the record replaced, told by its journal.
    retorno::Retoma(*Plataforma.files, PastaPrograma(), Acervo, [this](const std::string& linha) { Registro.Escreve(linha); });
    AcervoLido = true;
    AcervoInicial = Acervo;
    NumeroExecucao = Acervo.UltimaExecucao() + 1;
    Anteriores = std::make_unique<retorno::Guarda>(Plataforma.files, PastaPrograma(), NumeroExecucao,
                                                   [this](const std::string& linha) { Registro.Escreve(linha); });
}

void TFrmAtuModulo::FaseCatalogo(const std::string& pastaServidor) {
    const std::string pastaPrograma = PastaPrograma();
    // Listed after the clean-up: what it deleted is missing now.
    Pastas->Esquece(pastaPrograma);
    for (const char* mask : {"*.BPL", "*.DLL"})
        for (std::string& nome : VarreServidor(*Plataforma.files, *Pastas, Acervo, pastaServidor, pastaPrograma, mask))
            Memo1.Lines.push_back(std::move(nome));
    if (Memo1.Lines.empty()) {
        Caixa(ui::BoxKind::Plain, "Atenção o Arquivo: " +
                                      platform::pathForDisplay(settings::RetornaCaminho(Plataforma, "TD")) +
                                      std::string(kCatalogo) + " não foi carregado, favor atualizar o TABDEF.");
        CatalogoPercorrido = true;  // nothing listed, nothing left unchecked
        return;
    }
    const size_t total = Memo1.Lines.size();
    for (LinhaAtual = 0; LinhaAtual < total; ++LinhaAtual) {
        const LinhaDoCatalogo linha = ClassificaLinha(Memo1.Line(LinhaAtual));
        lbArquivo.Caption = linha.rotulo == linha.nome ? platform::pathForDisplay(linha.rotulo) : linha.rotulo;
        Aplicacao.ProcessMessages();
        // A name that would write outside the program folder, or among the kept versions, is
        // treated like a file the server lacks.
        if (NaListaDePulo(linha.nome) || !NomeSeguro(linha.nome) || retorno::NomeReservado(linha.nome)) continue;
        // Paths as the user reads them: both separators reach the same file.
        const std::string origem = platform::pathForDisplay(pastaServidor + linha.nome);
        const std::string destino = platform::pathForDisplay(pastaPrograma + linha.nome);
        const Decisao decisao = DecideCopia(*Pastas, Acervo, linha.nome, pastaServidor, pastaPrograma);
        if (!decisao.servidorLido) return ServidorNaoResponde(pastaServidor, linha);
        if (!decisao.copiar) continue;
        if (PublicacaoEmAndamento) {
            Registro.Escreve("fica para a próxima execução (publicação em andamento): " + platform::pathForDisplay(linha.nome));
            continue;
        }
        NomeEmCopia = linha.nome;
        UltimoConferido.reset();
        PreparaCopia(linha.nome, pastaServidor);
        CopiaArquivo(origem, destino);
        AnotaNoAcervo(linha.nome, destino);
        Pastas->Atualiza(pastaPrograma, linha.nome);
        // A copy that failed because the share went away: the lines after it cannot be judged.
        if (!Copias.Copias().back().atualizado && !Plataforma.files->folderIdentity(pastaServidor))
            return ServidorNaoResponde(pastaServidor, linha);
    }
    LinhaAtual = kNenhumaLinha;
    CatalogoPercorrido = true;
}

void TFrmAtuModulo::PreparaCopia(const std::string& nome, const std::string& pastaServidor) {
    const std::optional<acervo::Versao> servidor = Pastas->Procura(pastaServidor, nome).versao;
    if (!servidor) return Anteriores->Prepara(nome);
    // The entry as the run found it: the clean-up and the sweeps may have dropped it since.
    const acervo::Entrada* registrada = AcervoInicial.Procura(nome);
    const std::optional<acervo::Versao> local = Pastas->Procura(PastaPrograma(), nome).versao;
    const bool fala = registrada && (!local || local->stamp == registrada->local);
    Anteriores->Prepara(nome, servidor->stamp, fala && acervo::Repara(*registrada, *servidor) ? registrada : nullptr);
}

void TFrmAtuModulo::ServidorNaoResponde(const std::string& pastaServidor, const LinhaDoCatalogo& linha) {
    CodigoSaida |= SaidaServidorNaoResponde;
    const std::string pasta = platform::pathForDisplay(pastaServidor);
    Registro.Escreve("a pasta de programas do servidor não pôde ser lida: " + pasta + "; as linhas a partir de " +
                     std::to_string(LinhaAtual + 1) + " (" + platform::pathForDisplay(linha.nome) + ") não foram conferidas");
    LinhaAtual = kNenhumaLinha;
    Caixa(ui::BoxKind::Error, "Não foi possível ler a pasta de programas do servidor:\r" + pasta +
                                  "\r\rA atualização parou em " + platform::pathForDisplay(linha.nome) +
                                  ": este arquivo e os seguintes não foram conferidos.\rAvise o suporte; "
                                  "a próxima execução termina a atualização.");
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
    if (FxFileManager1.LastRejected()) Copias.Inacabada(MotivoDaRecusa);  // discarded before it replaced anything
    const std::optional<fileops::TFxCopiedFile>& copiada = FxFileManager1.LastCopied();
    if (Copias.Copias().back().atualizado && !Copias.Copias().back().alternativa && copiada && !copiada->Finished)
        Copias.Inacabada("A data, os atributos ou as permissões da cópia não puderam ser ajustados: "
                         "o arquivo será copiado de novo na próxima execução.");
    RegistraCopia(Copias.Copias().back());
    lbArquivo2.Caption = "";
}

void TFrmAtuModulo::AnotaNoAcervo(const std::string& nome, const std::string& destino) {
    const feedback::ResultadoCopia& copia = Copias.Copias().back();
    const std::optional<fileops::TFxCopiedFile>& copiada = FxFileManager1.LastCopied();
    // A copy that failed left the old file, and the entry that described it, as they were.
    const bool instalou = copia.alternativa ? copia.atualizado : copiada.has_value();
    const retorno::Guardado anterior = Anteriores->Conclui(nome, instalou);
    if (!instalou) return;
    const std::optional<platform::FileStamp> local = Plataforma.files->stampOf(destino);
    if (!local) {
        Acervo.Esquece(nome);
        return;
    }
    acervo::Entrada entrada{nome, *local, *local, std::nullopt, acervo::Estado::Instalado, NumeroExecucao,
                            anterior.anterior, anterior.versao};
    // The fallback copy gives the file the server's exact time: its version is the file's own.
    if (!copia.alternativa) {
        entrada.servidor = copiada->Source;
        entrada.sha256 = UltimoConferido;
        if (!copiada->Finished) entrada.estado = acervo::Estado::Incompleto;
    }
    entrada.recente = acervo::Recente(entrada.servidor.lastWrite);
    // What the clean-up would delete keeps its bytes' digest, so that the next run can leave it.
    if (entrada.estado == acervo::Estado::Instalado && process::NomeAntigo(nome))
        entrada.conteudo = acervo::DigestOfFile(*Plataforma.files, destino);
    Acervo.Registra(std::move(entrada));
}

void TFrmAtuModulo::GravaAcervo() {
    if (Anteriores) Anteriores->Encerra();
    if (!AcervoLido) return;
    AcervoLido = false;  // once per run
    // Once the record knows every run, the journal has nothing more to tell.
    if (!Acervo.Alterado() || acervo::Grava(*Plataforma.files, PastaPrograma(), Acervo))
        return retorno::ApagaDiario(*Plataforma.files, PastaPrograma());
    AvisaAcervoNaoGravado();
}

void TFrmAtuModulo::AvisaAcervoNaoGravado() {
    AcervoNaoGravado = true;
    CodigoSaida |= SaidaAcervoNaoGravado;
    Registro.Escreve("registro do que o terminal recebeu NÃO gravado: " +
                     platform::pathForDisplay(PastaPrograma() + std::string(acervo::kNomeArquivo)) +
                     " (o diário em " + std::string(retorno::kPastaAnteriores) +
                     " guarda o que esta execução substituiu, para a próxima execução ou --voltar)");
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
