#include "verificacao/verifica.h"

#include <cstdlib>

#include "acervo/arquivo.h"
#include "acervo/digest.h"
#include "platform/text.h"

namespace verificacao {

namespace {

// A copy keeps the time in the DOS form where it fits: two seconds apart at most.
constexpr int64_t kDoisSegundos = 2 * 10000000LL;

bool MesmaHora(int64_t a, int64_t b) { return std::llabs(a - b) < kDoisSegundos; }

}  // namespace

std::vector<Referencia> ReferenciasDoManifesto(const identidade::Manifesto& manifesto) {
    std::vector<Referencia> referencias;
    for (const identidade::ArquivoPublicado& a : manifesto.Arquivos())
        referencias.push_back({a.nome, a.stamp, a.stamp, a.sha256, std::nullopt});
    return referencias;
}

std::vector<Referencia> ReferenciasDoRegistro(const acervo::Acervo& registro) {
    std::vector<Referencia> referencias;
    for (const acervo::Entrada& e : registro.Entradas())
        if (e.estado == acervo::Estado::Instalado) referencias.push_back({e.nome, e.local, e.servidor, e.sha256, e.conteudo});
    return referencias;
}

std::optional<Divergencia> Confere(platform::FileSystem& files, const std::string& pastaPrograma, const Referencia& r) {
    Divergencia d{r.nome};
    d.referencia = &r;
    const std::string caminho = pastaPrograma + r.nome;
    const std::optional<platform::FileStamp> stamp = files.fileExists(caminho) ? files.stampOf(caminho) : std::nullopt;
    if (!stamp) {
        d.falta = true;
        return d;
    }
    d.tamanho = stamp->size != r.stamp.size;
    d.hora = !MesmaHora(stamp->lastWrite, r.stamp.lastWrite);
    // Other sizes are other bytes: only a file of the right size is read.
    if (!d.tamanho && r.sha256) d.conteudo = identidade::Sha256OfFile(files, caminho) != r.sha256;
    else if (!d.tamanho && r.digest) d.conteudo = acervo::DigestOfFile(files, caminho) != r.digest;
    if (!d.tamanho && !d.hora && !d.conteudo) return std::nullopt;
    return d;
}

Verificacao Verifica(platform::FileSystem& files, const std::string& pastaPrograma) {
    Verificacao v;
    if (std::optional<identidade::Manifesto> m =
            identidade::LeManifestoDoArquivo(files, pastaPrograma + std::string(kNomeManifestoLocal))) {
        v.publicacao = m->numero;
        v.referencias = ReferenciasDoManifesto(*m);
    } else {
        v.referencias = ReferenciasDoRegistro(acervo::Le(files, pastaPrograma));
        v.semReferencia = v.referencias.empty();
    }
    for (const Referencia& r : v.referencias)
        if (std::optional<Divergencia> d = Confere(files, pastaPrograma, r)) v.divergencias.push_back(*d);
    return v;
}

std::string LinhaDe(const Divergencia& d) {
    const std::string nome = platform::pathForDisplay(d.nome);
    if (d.falta) return nome + ": falta";
    std::string o;
    for (const auto& [difere, palavra] : {std::pair{d.tamanho, "tamanho"}, {d.hora, "data"}, {d.conteudo, "conteúdo"}})
        if (difere) o += (o.empty() ? "" : ", ") + std::string(palavra);
    return nome + ": difere em " + o;
}

}  // namespace verificacao
