#include "app/catalogue.h"
#include "app/conteudo.h"

#include <algorithm>

#include "acervo/digest.h"
#include "identidade/sha256.h"
#include "platform/text.h"
#include "platform/text_decoding.h"
#include "platform/wildcard.h"

namespace app {

namespace {

std::string ReadWhole(platform::FileSystem& files, const std::string& path) {
    if (!files.fileExists(path)) {
        const std::string pasta = platform::folderPart(path);
        if (!files.dirExists(pasta))
            throw CatalogoError("Não foi possível acessar a pasta do servidor: " + pasta, true);
        throw CatalogoError("Catálogo de módulos não encontrado: " + path);
    }
    // Denying writers: a catalogue that another program is writing is not read in part.
    std::unique_ptr<platform::File> file = files.openReadDenyWrite(path);
    const std::optional<platform::FileStamp> opened = file ? file->stamp() : std::nullopt;
    if (!opened) throw CatalogoError("Não foi possível abrir o catálogo de módulos: " + path);
    std::string bytes;
    // Room for the whole file at once (within reason): a large catalogue is not copied as it grows.
    bytes.reserve(static_cast<size_t>(std::min<uint64_t>(opened->size, uint64_t{64} << 20)));
    char buffer[8192];
    for (;;) {
        const int64_t got = file->read(buffer, sizeof buffer);
        if (got < 0) throw CatalogoError("Erro ao ler o catálogo de módulos: " + path);
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    // Where writers are not kept out (POSIX), one that wrote meanwhile is seen here.
    if (!platform::ReadOneVersion(*file, *opened, bytes.size()))
        throw CatalogoError("O catálogo de módulos mudou durante a leitura: " + path);
    return bytes;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

}  // namespace

std::vector<std::string> CarregaCatalogo(platform::FileSystem& files, platform::System& system,
                                         const std::string& path) {
    const std::string text =
        platform::DecodeText(ReadWhole(files, path), [&system](std::string_view ansi) { return system.decodeAnsi(ansi); });
    // Counted first: a catalogue of many lines is held once, not beside a list of views or spare room.
    size_t count = 0;
    platform::ForEachLine(text, [&count](std::string_view) { ++count; });
    std::vector<std::string> lines;
    lines.reserve(count);
    platform::ForEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::set<std::string> NomesDoCatalogo(const std::vector<std::string>& linhas) {
    std::set<std::string> nomes;
    for (const std::string& texto : linhas) {
        const LinhaDoCatalogo linha = ClassificaLinha(texto);
        if (!NaListaDePulo(linha.nome) && NomeSeguro(linha.nome)) nomes.insert(acervo::Chave(linha.nome));
    }
    return nomes;
}

namespace {

// What the sweeps copy back: a package or library at the top of the program folder.
bool VarreduraTraz(const std::string& nome) {
    if (nome.find_first_of("\\/") != std::string::npos) return false;
    return platform::matchesPattern("*.BPL", nome) || platform::matchesPattern("*.DLL", nome);
}

constexpr uint32_t kAtributosDoArquivo = platform::attr::ReadOnly | platform::attr::Hidden | platform::attr::System;

}  // namespace

bool MantemVersaoDoServidor(platform::FileSystem& files, Listagens& pastas, acervo::Acervo& registro,
                            const std::string& pastaServidor, const std::string& pasta,
                            const std::set<std::string>& catalogo, const std::string& caminho,
                            const platform::DirEntry& entrada) {
    if (!entrada.lastWrite || !caminho.starts_with(pasta) || (entrada.attributes & platform::attr::ReadOnly)) return false;
    const std::string nome = caminho.substr(pasta.size());
    if (!VarreduraTraz(nome) && !catalogo.count(acervo::Chave(nome))) return false;
    const acervo::Entrada* registrada = registro.Vigente(nome, platform::FileStamp{entrada.size, *entrada.lastWrite});
    // A version that a step back restored stays too, while the server holds the one taken back.
    if (!registrada || registrada->estado == acervo::Estado::Incompleto || !registrada->conteudo) return false;
    const Listagens::Resposta noServidor = pastas.Procura(pastaServidor, nome);
    if (!noServidor.versao || noServidor.versao->stamp != registrada->servidor) return false;
    if ((noServidor.atributos & kAtributosDoArquivo) != (entrada.attributes & kAtributosDoArquivo)) return false;
    if (!ConfereComManifesto(pastas, registro, nome, noServidor.versao->stamp, caminho)) return false;
    // Size and time can be kept by a change that the disk or a person made: the bytes decide.
    return acervo::DigestOfFile(files, caminho) == registrada->conteudo;
}

std::optional<acervo::Versao> VersaoDe(platform::FileSystem& files, const std::string& caminho) {
    if (!files.fileExists(caminho)) return std::nullopt;
    const std::optional<platform::FileStamp> stamp = files.stampOf(caminho);
    if (!stamp) return std::nullopt;
    return acervo::Versao{*stamp, files.lastWriteDos(caminho)};
}

Decisao DecideCopia(Listagens& pastas, acervo::Acervo& registro, const std::string& nome,
                    const std::string& pastaServidor, const std::string& pastaPrograma) {
    const Listagens::Resposta noServidor = pastas.Procura(pastaServidor, nome);
    if (!noServidor.pastaLida) return {false, false};
    if (!noServidor.versao) return {};
    Listagens::Resposta noTerminal = pastas.Procura(pastaPrograma, nome);
    if (!noTerminal.pastaLida) noTerminal.versao = pastas.Direto(pastaPrograma + nome);
    const std::optional<platform::FileStamp> local =
        noTerminal.versao ? std::optional(noTerminal.versao->stamp) : std::nullopt;
    const acervo::Entrada* vigente = registro.Vigente(nome, local);
    const bool copiar = acervo::PrecisaCopiar(noServidor.versao, noTerminal.versao, vigente);
    // Other bytes under the same size and time: the manifest's digest decides.
    return {copiar || (vigente && !ConfereComManifesto(pastas, registro, nome, noServidor.versao->stamp, pastaPrograma + nome)), true};
}

std::vector<std::string> VarreServidor(platform::FileSystem& files, Listagens& pastas, acervo::Acervo& registro,
                                       const std::string& pastaServidor, const std::string& pastaPrograma,
                                       const std::string& mask) {
    std::vector<std::string> faltam;
    for (const platform::DirEntry& entry : files.find(pastaServidor + mask))
        if (DecideCopia(pastas, registro, entry.name, pastaServidor, pastaPrograma).copiar)
            faltam.push_back(platform::trimBlanks(entry.name));
    return faltam;
}

LinhaDoCatalogo ClassificaLinha(const std::string& linha) {
    const std::string nome = platform::trimBlanks(linha);
    const std::string upper = platform::upperAscii(nome);
    if (Contains(upper, ".EXE")) return {platform::trimBlanks(platform::utf8Slice(linha, 1, 26)), TituloDaLinha(linha)};
    if (Contains(upper, ".BPL")) return {nome, "Arquivo BPL"};
    if (Contains(upper, ".DLL")) return {nome, "Arquivo DLL"};
    return {nome, nome};
}

std::string TituloDaLinha(const std::string& linha) {
    return platform::trimBlanks(platform::utf8Slice(linha, 27, 80));
}

bool NaListaDePulo(const std::string& nome) {
    const std::string upper = platform::upperAscii(nome);
    return std::find(ListaDePulo.begin(), ListaDePulo.end(), upper) != ListaDePulo.end();
}

bool NomeSeguro(const std::string& nome) {
    if (nome.empty() || nome.front() == '\\' || nome.front() == '/') return false;
    if (Contains(nome, ":")) return false;  // a drive, or a stream of another file on Windows
    // The system reads a name up to a zero byte: "..\0x" would be "..".
    if (Contains(nome, std::string_view("\0", 1))) return false;
    int depth = 0;
    std::string part;
    for (size_t i = 0; i <= nome.size(); ++i) {
        if (i < nome.size() && nome[i] != '\\' && nome[i] != '/') {
            part += nome[i];
            continue;
        }
        // Windows drops trailing dots and blanks from a component: "..." and ".. " are "..".
        const std::string plain = part.substr(0, part.find_last_not_of(". ") + 1);
        if (plain.empty() && part.find("..") != std::string::npos) --depth;
        else if (!plain.empty()) ++depth;
        if (depth < 0) return false;
        part.clear();
    }
    return true;
}

bool ConfereComManifesto(Listagens& pastas, acervo::Acervo& registro, const std::string& nome,
                         const platform::FileStamp& servidor, const std::string& caminhoLocal) {
    const identidade::Manifesto* manifesto = pastas.ManifestoDoServidor();
    const identidade::ArquivoPublicado* publicado = manifesto ? manifesto->Descreve(nome, servidor) : nullptr;
    const acervo::Entrada* entrada = registro.Procura(nome);
    if (!publicado || !entrada || entrada->estado != acervo::Estado::Instalado || entrada->servidor != servidor) return true;
    if (entrada->sha256) return *entrada->sha256 == publicado->sha256;
    const std::optional<identidade::Resumo> local = identidade::Sha256OfFile(pastas.Arquivos(), caminhoLocal);
    if (!local) return false;
    acervo::Entrada conferida = *entrada;
    conferida.sha256 = *local;
    registro.Registra(std::move(conferida));
    return *local == publicado->sha256;
}

}  // namespace app
