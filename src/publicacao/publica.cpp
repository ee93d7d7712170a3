#include "publicacao/publica.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "fileops/fx_temp_file.h"
#include "identidade/manifesto.h"
#include "identidade/sha256.h"
#include "platform/temporary_names.h"
#include "platform/text.h"

namespace publicacao {

namespace {

using identidade::ArquivoPublicado;
using identidade::Manifesto;

// Between a terminal's look at the announcement and its open of a file lie a few requests, and a
// share's client keeps what it learnt of a name for about a second: the first file waits longer.
constexpr auto kCarencia = std::chrono::seconds(2);
// The announcement is renewed well within the bound after which terminals take it for stale.
constexpr int64_t kSegundosRenovaAnuncio = 60;
constexpr int64_t kFlushBytes = 4 * 1024 * 1024;

std::string ComSeparador(std::string pasta) {
    if (!pasta.empty() && !platform::isSeparator(pasta.back())) pasta += platform::kColonIsDriveDelimiter ? '\\' : '/';
    return pasta;
}

struct ArquivoDaOrigem {
    std::string nome;  // relative, "\" between folders
    platform::FileStamp stamp;
    uint32_t atributos = 0;
};

bool NomeProprio(const std::string& nome) {
    const std::string chave = identidade::ChaveDoNome(nome);
    for (std::string_view proprio : {identidade::kNomeManifesto, identidade::kNomeAnuncio, identidade::kNomeTrava})
        if (chave == identidade::ChaveDoNome(std::string(identidade::kPastaManifesto) + "\\" + std::string(proprio)))
            return true;
    return platform::IsTemporaryName(platform::fileNamePart(nome));
}

// Every file of the build, folders followed down; false when a folder could not be read.
bool ListaOrigem(platform::FileSystem& files, const std::string& raiz, const std::string& relativa,
                 std::vector<ArquivoDaOrigem>& arquivos, std::vector<std::string>& pastas) {
    const std::optional<std::vector<platform::DirEntry>> entradas = files.listFolder(raiz + relativa);
    if (!entradas) return false;
    for (const platform::DirEntry& e : *entradas) {
        const std::string nome = relativa + e.name;
        if (e.attributes & platform::attr::Directory) {
            pastas.push_back(nome);
            if (!ListaOrigem(files, raiz, nome + "\\", arquivos, pastas)) return false;
        } else if (e.isFile() && !NomeProprio(nome)) {
            arquivos.push_back({nome, {e.size, *e.lastWrite}, e.attributes});
        }
    }
    return true;
}

// What the server folder holds, folder by folder, each listed once.
class Servidor {
public:
    Servidor(platform::FileSystem& files, std::string raiz) : files_(files), raiz_(std::move(raiz)) {}

    // The server's entry for a build file: as written, else in another ASCII case.
    std::optional<platform::DirEntry> Entrada(const std::string& nome) {
        const size_t barra = nome.rfind('\\');
        const std::string pasta = barra == std::string::npos ? "" : nome.substr(0, barra + 1);
        const std::string arquivo = nome.substr(pasta.size());
        auto it = pastas_.find(identidade::ChaveDoNome(pasta));
        if (it == pastas_.end())
            it = pastas_.emplace(identidade::ChaveDoNome(pasta), files_.listFolder(raiz_ + pasta).value_or(std::vector<platform::DirEntry>{})).first;
        const platform::DirEntry* outra = nullptr;
        for (const platform::DirEntry& e : it->second) {
            if (e.name == arquivo) return e;
            if (!outra && platform::equalsIgnoringAsciiCase(e.name, arquivo)) outra = &e;
        }
        return outra ? std::optional(*outra) : std::nullopt;
    }
    // After the copies: the manifest takes each file as the server lists it then.
    void EsqueceTudo() { pastas_.clear(); }

private:
    platform::FileSystem& files_;
    std::string raiz_;
    std::map<std::string, std::vector<platform::DirEntry>> pastas_;
};

struct Plano {
    ArquivoDaOrigem origem;
    std::string destino;  // relative, as the server spells it
    enum { Igual, Atributos, Copia } acao = Copia;
    std::optional<identidade::Resumo> sha256;  // of the build's file, once known
};

class Publicacao {
public:
    Publicacao(platform::FileSystem& files, const Pedido& pedido, const Ouvintes& ouvintes)
        : files_(files), origem_(ComSeparador(pedido.origem)), destino_(ComSeparador(pedido.destino)),
          pedido_(pedido), ouvintes_(ouvintes), servidor_(files, destino_) {}

    Resultado Executa();

private:
    void Registra(const std::string& linha) const {
        if (ouvintes_.registro) ouvintes_.registro(linha);
    }
    Resultado Recusa(Desfecho desfecho, std::string motivo) const {
        Resultado r;
        r.desfecho = desfecho;
        r.motivo = std::move(motivo);
        return r;
    }
    bool CriaPastas(const std::vector<std::string>& pastas);
    void Decide(Plano& plano);
    bool Copia(Plano& plano);
    bool Anuncia(bool primeiraVez);
    std::optional<ArquivoPublicado> Publicado(const Plano& plano);

    platform::FileSystem& files_;
    const std::string origem_, destino_;
    const Pedido& pedido_;
    const Ouvintes& ouvintes_;
    Servidor servidor_;
    std::optional<Manifesto> anterior_;
    Progresso progresso_;
    Resultado resultado_;
    std::chrono::steady_clock::time_point anunciado_{};
};

bool Publicacao::CriaPastas(const std::vector<std::string>& pastas) {
    for (const std::string& pasta : pastas)
        if (!files_.dirExists(destino_ + pasta) && !files_.createDirectory(destino_ + pasta)) {
            resultado_.falhas.push_back(pasta);
            Registra("pasta não criada no servidor: " + platform::pathForDisplay(destino_ + pasta));
            return false;
        }
    return true;
}

// Same size and time is not yet the same file: the bytes decide.
void Publicacao::Decide(Plano& plano) {
    const std::optional<platform::DirEntry> noServidor = servidor_.Entrada(plano.origem.nome);
    if (!noServidor || !noServidor->isFile()) return;
    plano.destino = plano.destino.substr(0, plano.destino.size() - noServidor->name.size()) + noServidor->name;
    const platform::FileStamp stamp{noServidor->size, *noServidor->lastWrite};
    if (stamp != plano.origem.stamp) return;
    plano.sha256 = identidade::Sha256OfFile(files_, origem_ + plano.origem.nome);
    if (!plano.sha256) return;  // the copy will tell why it cannot be read
    // Read from the server itself, not from its manifest: a file changed there after the last
    // publish (same size and time) is put right by publishing the build again.
    if (identidade::Sha256OfFile(files_, destino_ + plano.destino) != plano.sha256) return;
    const uint32_t mascara = platform::attr::ReadOnly | platform::attr::Hidden | platform::attr::System;
    plano.acao = (noServidor->attributes & mascara) == (plano.origem.atributos & mascara) ? Plano::Igual : Plano::Atributos;
}

bool Publicacao::Anuncia(bool primeiraVez) {
    const auto agora = std::chrono::steady_clock::now();
    if (!primeiraVez && agora - anunciado_ < std::chrono::seconds(kSegundosRenovaAnuncio)) return true;
    const std::string texto = "maquina=" + pedido_.maquina + "\r\ninicio=" + identidade::DataUtc(std::time(nullptr)) +
                              "\r\norigem=" + pedido_.origem + "\r\n";
    if (!identidade::GravaInteiro(files_, identidade::CaminhoAnuncio(destino_), texto)) return false;
    anunciado_ = agora;
    return true;
}

// Through a temporary beside the file, hashed as it is read, flushed, dated, given its
// attributes and only then renamed over the server's file.
bool Publicacao::Copia(Plano& plano) {
    const std::string fonte = origem_ + plano.origem.nome, alvo = destino_ + plano.destino;
    std::unique_ptr<platform::File> entrada = files_.openRead(fonte);
    const std::optional<platform::FileStamp> aberto = entrada ? entrada->stamp() : std::nullopt;
    if (!aberto) return false;
    const std::string temporario = platform::TemporaryNameFor(alvo, platform::RandomTemporaryTag());
    bool completa = false;
    {
        std::unique_ptr<platform::File> saida = files_.createExclusive(temporario);
        if (!saida) return false;
        const auto buffer = std::make_unique_for_overwrite<char[]>(platform::kCopyReadBytes);
        identidade::Sha256 sha;
        uint64_t lidos = 0;
        int64_t semFlush = 0;
        for (;;) {
            const int64_t n = entrada->read(buffer.get(), platform::kCopyReadBytes);
            if (n <= 0) {
                completa = n == 0;
                break;
            }
            sha.Add(std::string_view(buffer.get(), static_cast<size_t>(n)));
            if (saida->write(buffer.get(), n) != n) break;
            lidos += static_cast<uint64_t>(n);
            progresso_.bytes += static_cast<uint64_t>(n);
            if ((semFlush += n) >= kFlushBytes) saida->startFlush(), semFlush = 0;
            if (ouvintes_.progresso) ouvintes_.progresso(progresso_);
        }
        completa = completa && platform::ReadOneVersion(*entrada, *aberto, lidos) &&
                   saida->setLastWrite(aberto->lastWrite) && saida->flush();
        if (completa) plano.sha256 = sha.Value();
    }
    completa = completa && files_.copyPermissions(fonte, temporario) &&
               files_.setAttributes(temporario, plano.origem.atributos & ~platform::attr::Directory);
    const std::optional<uint32_t> antigos = files_.attributes(alvo);
    if (completa && antigos && (*antigos & platform::attr::ReadOnly)) files_.setAttributes(alvo, platform::attr::Archive);
    if (completa && (antigos ? files_.replaceFile(temporario, alvo) : files_.moveFile(temporario, alvo))) {
        plano.origem.stamp = *aberto;
        return true;
    }
    files_.setAttributes(temporario, platform::attr::Archive);
    files_.deleteFile(temporario);
    if (antigos) files_.setAttributes(alvo, *antigos);
    return false;
}

// The manifest's line for a file as the server holds it now.
std::optional<ArquivoPublicado> Publicacao::Publicado(const Plano& plano) {
    const std::optional<platform::DirEntry> e = servidor_.Entrada(plano.origem.nome);
    if (!e || !e->isFile() || !plano.sha256) return std::nullopt;
    return ArquivoPublicado{plano.destino, {e->size, *e->lastWrite}, e->attributes & ~platform::attr::Archive, *plano.sha256};
}

Resultado Publicacao::Executa() {
    if (!files_.dirExists(origem_)) return Recusa(Desfecho::PedidoInvalido, "a pasta da nova versão não existe ou não pode ser lida: " + platform::pathForDisplay(origem_));
    if (!files_.fileExists(origem_ + std::string(kCatalogo)))
        return Recusa(Desfecho::PedidoInvalido, "a pasta da nova versão não tem " + platform::pathForDisplay(std::string(kCatalogo)) + ": " + platform::pathForDisplay(origem_));
    const auto idOrigem = files_.folderIdentity(origem_), idDestino = files_.folderIdentity(destino_);
    if (!idDestino) return Recusa(Desfecho::PedidoInvalido, "a pasta de programas do servidor não existe ou não pode ser lida: " + platform::pathForDisplay(destino_));
    if (idOrigem == idDestino) return Recusa(Desfecho::PedidoInvalido, "a nova versão já está na pasta de programas do servidor");
    const std::string pastaManifesto = destino_ + std::string(identidade::kPastaManifesto);
    if (!files_.dirExists(pastaManifesto) && !files_.createDirectory(pastaManifesto))
        return Recusa(Desfecho::Falhou, "não foi possível criar " + platform::pathForDisplay(pastaManifesto));
    const platform::LockResult trava = files_.lockExclusive(pastaManifesto + "\\" + std::string(identidade::kNomeTrava));
    if (trava.outcome == platform::LockOutcome::HeldByAnother)
        return Recusa(Desfecho::OutraEmAndamento, "outra publicação está em andamento neste servidor");
    if (trava.outcome != platform::LockOutcome::Taken)
        return Recusa(Desfecho::Falhou, "não foi possível travar a publicação em " + platform::pathForDisplay(pastaManifesto));
    // A manifest or an announcement whose write was cut left its temporary here.
    fileops::RemoveLeftoverTemporaries(files_, pastaManifesto + "\\");

    std::vector<ArquivoDaOrigem> arquivos;
    std::vector<std::string> pastas;
    if (!ListaOrigem(files_, origem_, "", arquivos, pastas))
        return Recusa(Desfecho::PedidoInvalido, "uma pasta da nova versão não pôde ser lida: " + platform::pathForDisplay(origem_));
    // The catalogue last: a terminal finds new lines only once their files are in place.
    std::stable_partition(arquivos.begin(), arquivos.end(), [](const ArquivoDaOrigem& a) {
        return identidade::ChaveDoNome(a.nome) != identidade::ChaveDoNome(kCatalogo);
    });
    anterior_ = identidade::LeManifesto(files_, destino_);
    std::vector<Plano> planos;
    for (const ArquivoDaOrigem& a : arquivos) {
        planos.push_back({a, a.nome, Plano::Copia, std::nullopt});
        Decide(planos.back());
        if (planos.back().acao != Plano::Igual) ++progresso_.arquivos, progresso_.totalBytes += a.stamp.size * (planos.back().acao == Plano::Copia);
    }
    resultado_.arquivos = planos.size();
    const bool mexe = progresso_.arquivos > 0;
    Registra("publicação de " + platform::pathForDisplay(origem_) + " em " + platform::pathForDisplay(destino_) + ": " +
             std::to_string(planos.size()) + " arquivos, " + std::to_string(progresso_.arquivos) + " a publicar (" +
             std::to_string(progresso_.totalBytes) + " bytes)");
    if (mexe) {
        if (!Anuncia(true)) return Recusa(Desfecho::Falhou, "não foi possível gravar o aviso de publicação em " + platform::pathForDisplay(pastaManifesto));
        std::this_thread::sleep_for(kCarencia);
        if (!CriaPastas(pastas)) return Recusa(Desfecho::Falhou, "uma pasta não pôde ser criada no servidor");
        // What a publish killed earlier left half-written (never one still being written).
        fileops::RemoveLeftoverTemporaries(files_, destino_);
        for (const std::string& pasta : pastas) fileops::RemoveLeftoverTemporaries(files_, destino_ + pasta + "\\");
    }
    for (Plano& plano : planos) {
        if (plano.acao == Plano::Igual) continue;
        Anuncia(false);
        progresso_.nome = plano.origem.nome;
        bool feito = plano.acao == Plano::Copia ? Copia(plano) : files_.setAttributes(destino_ + plano.destino, plano.origem.atributos);
        ++progresso_.arquivo;
        if (ouvintes_.progresso) ouvintes_.progresso(progresso_);
        if (!feito) {
            resultado_.falhas.push_back(plano.origem.nome);
            Registra("NÃO publicado: " + platform::pathForDisplay(plano.origem.nome));
            continue;
        }
        if (plano.acao == Plano::Copia) ++resultado_.copiados, resultado_.bytesCopiados += plano.origem.stamp.size;
        else ++resultado_.atributos;
        Registra(std::string(plano.acao == Plano::Copia ? "publicado: " : "atributos publicados: ") +
                 platform::pathForDisplay(plano.origem.nome) + ", " + std::to_string(plano.origem.stamp.size) + " bytes");
    }
    if (!resultado_.falhas.empty()) {
        // The announcement stays: terminals keep what they hold until this publish is finished.
        resultado_.desfecho = Desfecho::Falhou;
        resultado_.numero = anterior_ ? anterior_->numero : 0;
        resultado_.motivo = std::to_string(resultado_.falhas.size()) + " arquivo(s) não publicado(s); rode a mesma publicação de novo";
        return resultado_;
    }
    servidor_.EsqueceTudo();
    Manifesto novo;
    novo.numero = (anterior_ ? anterior_->numero : 0) + 1;
    novo.data = identidade::DataUtc(std::time(nullptr));
    for (const Plano& plano : planos) {
        std::optional<ArquivoPublicado> a = Publicado(plano);
        if (!a) {
            resultado_.falhas.push_back(plano.origem.nome);
            continue;
        }
        novo.Acrescenta(std::move(*a));
    }
    if (!mexe && anterior_ && resultado_.falhas.empty() && anterior_->Arquivos().size() == novo.Arquivos().size() &&
        std::all_of(novo.Arquivos().begin(), novo.Arquivos().end(), [&](const ArquivoPublicado& a) {
            const ArquivoPublicado* antes = anterior_->Procura(a.nome);
            return antes && *antes == a;
        })) {
        resultado_.desfecho = Desfecho::JaPublicada;
        resultado_.numero = anterior_->numero;
        // A publish cut after its manifest left its announcement behind.
        if (files_.fileExists(identidade::CaminhoAnuncio(destino_))) files_.deleteFile(identidade::CaminhoAnuncio(destino_));
        Registra("nada a publicar: o servidor já serve esta versão (publicação " + std::to_string(anterior_->numero) + ")");
        return resultado_;
    }
    if (!resultado_.falhas.empty() || !identidade::GravaManifesto(files_, destino_, novo)) {
        resultado_.desfecho = Desfecho::Falhou;
        resultado_.numero = anterior_ ? anterior_->numero : 0;
        resultado_.motivo = "o manifesto não pôde ser gravado em " + platform::pathForDisplay(identidade::CaminhoManifesto(destino_));
        return resultado_;
    }
    // A manifest of its own makes the announcement of a killed publish go too.
    files_.deleteFile(identidade::CaminhoAnuncio(destino_));
    resultado_.desfecho = Desfecho::Publicada;
    resultado_.numero = novo.numero;
    Registra("publicação " + std::to_string(novo.numero) + " concluída: " + std::to_string(resultado_.copiados) +
             " arquivos copiados, " + std::to_string(resultado_.bytesCopiados) + " bytes");
    return resultado_;
}

}  // namespace

Resultado Publica(platform::FileSystem& files, const Pedido& pedido, const Ouvintes& ouvintes) {
    return Publicacao(files, pedido, ouvintes).Executa();
}

}  // namespace publicacao
