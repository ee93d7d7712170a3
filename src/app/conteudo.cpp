// The run and the server's publication: the manifest read once, copies checked by content before
// they replace anything, a publish under way left alone, and what the record and the fleet learn.
#include "app/conteudo.h"

#include <ctime>

#include "app/atualiza_modulo.h"
#include "identidade/manifesto.h"
#include "platform/text.h"
#include "verificacao/verifica.h"

namespace app {

void TFrmAtuModulo::LeIdentidadeDoServidor(const std::string& pastaServidor) {
    const std::string caminho = identidade::CaminhoManifesto(pastaServidor);
    ManifestoLido = Plataforma.files->stampOf(caminho);
    std::optional<identidade::Manifesto> manifesto = identidade::LeManifesto(*Plataforma.files, pastaServidor);
    if (manifesto) Registro.Escreve("o servidor serve a publicação " + std::to_string(manifesto->numero) + " (" + manifesto->data + ")");
    else if (ManifestoLido) Registro.Escreve("manifesto da publicação ilegível, ignorado: " + platform::pathForDisplay(caminho));
    Pastas->DefineManifesto(std::move(manifesto));
    PublicacaoEmAndamento = identidade::PublicacaoAnunciada(*Plataforma.files, pastaServidor, std::time(nullptr));
    if (PublicacaoEmAndamento)
        Registro.Escreve("publicação em andamento no servidor: nada do servidor entra neste terminal nesta execução");
    FxFileManager1.OnCheckContent = [this](const std::string& temporario, const platform::FileStamp& origem) {
        return ConfereCopia(temporario, origem);
    };
}

// A publish that began since the run looked: the announcement stands, or another manifest.
bool TFrmAtuModulo::PublicacaoComecou() {
    return identidade::PublicacaoAnunciada(*Plataforma.files, PastaServidor, std::time(nullptr)) ||
           Plataforma.files->stampOf(identidade::CaminhoManifesto(PastaServidor)) != ManifestoLido;
}

bool TFrmAtuModulo::ConfereCopia(const std::string& temporario, const platform::FileStamp& origem) {
    if (PublicacaoComecou()) {
        PublicacaoEmAndamento = true;
        Registro.Escreve("uma publicação começou no servidor durante esta execução: nada mais do servidor entra neste terminal nesta execução");
        MotivoDaRecusa = "publicação em andamento no servidor: a cópia foi descartada; a próxima execução traz a nova versão inteira";
        return false;
    }
    const identidade::Manifesto* manifesto = Pastas ? Pastas->ManifestoDoServidor() : nullptr;
    const identidade::ArquivoPublicado* publicado = manifesto ? manifesto->Descreve(NomeEmCopia, origem) : nullptr;
    if (!publicado) return true;  // hand publishing: today's rules
    const std::optional<identidade::Resumo> lido = identidade::Sha256OfFile(*Plataforma.files, temporario);
    if (lido == publicado->sha256) {
        UltimoConferido = lido;
        return true;
    }
    ConteudoRecusado.push_back(NomeEmCopia);
    MotivoDaRecusa = ("o conteúdo copiado não confere com o SHA-256 do manifesto da publicação " + std::to_string(manifesto->numero) +
                " (o arquivo do servidor mudou sem nova publicação, ou se corrompeu): a cópia foi descartada e o arquivo "
                "deste terminal continua como estava. Avise o suporte.");
    return false;
}

void TFrmAtuModulo::NotaPublicacao() {
    const identidade::Manifesto* manifesto = Pastas ? Pastas->ManifestoDoServidor() : nullptr;
    if (!manifesto || !AcervoLido || PublicacaoEmAndamento || !CatalogoPercorrido || Copias.AlgumNaoAtualizado()) return;
    Acervo.LembraPublicacao(manifesto->numero);
    // What this terminal took of the publication, for --verificar to read without the server.
    identidade::Manifesto tomado;
    tomado.numero = manifesto->numero;
    tomado.data = manifesto->data;
    for (size_t i = 0; i < Memo1.Lines.size(); ++i)
        if (const identidade::ArquivoPublicado* a = manifesto->Procura(ClassificaLinha(Memo1.Line(i)).nome)) tomado.Acrescenta(*a);
    const std::string caminho = PastaPrograma() + std::string(verificacao::kNomeManifestoLocal);
    if (!identidade::GravaInteiro(*Plataforma.files, caminho, identidade::Texto(tomado)))
        Registro.Escreve("cópia do manifesto NÃO gravada: " + platform::pathForDisplay(caminho));
}

void TFrmAtuModulo::PreencheIdentidade(frota::EstadoTerminal& estado) const {
    const identidade::Manifesto* manifesto = Pastas ? Pastas->ManifestoDoServidor() : nullptr;
    if (!manifesto) return;
    if (Acervo.Publicacao()) estado.adicionais.push_back({"publicacao", std::to_string(Acervo.Publicacao())});
    estado.adicionais.push_back({"publicacao_servidor", std::to_string(manifesto->numero)});
    if (PublicacaoEmAndamento) estado.adicionais.push_back({"publicacao_em_andamento", "sim"});
    estado.listasAdicionais.push_back({"arquivos_conteudo_recusado", "arquivo_conteudo_recusado", ConteudoRecusado});
}

}  // namespace app
