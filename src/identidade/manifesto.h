// The manifest of a published build: its rising number, its date, and each file's name, size,
// time, attributes and SHA-256, as the server holds them. It lives beside the catalogue in the
// server program folder's TABDEF, is written last by a publish, whole, through a rename, and
// ends with a line that counts the files and carries the SHA-256 of everything before it: a
// manifest cut short or edited by hand reads as none, and the terminals then keep today's rules.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "identidade/sha256.h"
#include "platform/platform.h"

namespace identidade {

// Under the server program folder: no mask of the old-version clean-up matches these names.
inline constexpr std::string_view kPastaManifesto = "TABDEF";
inline constexpr std::string_view kNomeManifesto = "AtualizaTerminalQOR7.publicacao";
// Present while a publish is under way; terminals leave the build's files alone meanwhile.
inline constexpr std::string_view kNomeAnuncio = "AtualizaTerminalQOR7.publicando";
// Held by the publish at work: a second one refuses.
inline constexpr std::string_view kNomeTrava = "AtualizaTerminalQOR7.publicacao.trava";
// An announcement not renewed for this long belongs to a publish that died.
inline constexpr int64_t kSegundosAnuncioVale = 15 * 60;
// A manifest larger than this is no manifest of ours.
inline constexpr size_t kTamanhoMaximoManifesto = 64 * 1024 * 1024;

struct ArquivoPublicado {
    std::string nome;              // relative to the server program folder, "\" between folders
    platform::FileStamp stamp;     // size and exact time as the server holds the file
    uint32_t atributos = 0;
    Resumo sha256{};
    bool operator==(const ArquivoPublicado&) const = default;
};

class Manifesto {
public:
    uint64_t numero = 0;  // the publication: 1, 2, 3 ... on this server
    std::string data;     // when it was published, UTC, "AAAA-MM-DD HH:MM:SS UTC"
    const std::vector<ArquivoPublicado>& Arquivos() const { return arquivos_; }
    void Acrescenta(ArquivoPublicado arquivo);
    // The file by name, letter case a to z ignored and either separator.
    const ArquivoPublicado* Procura(std::string_view nome) const;
    // The file when the manifest names it with exactly this size and time: then its SHA-256 says
    // what its bytes must be.
    const ArquivoPublicado* Descreve(std::string_view nome, const platform::FileStamp& servidor) const;

private:
    std::vector<ArquivoPublicado> arquivos_;
    std::map<std::string, size_t> porChave_;
};

// One spelling for one name: a to z in upper case, "/" as "\".
std::string ChaveDoNome(std::string_view nome);

std::string Texto(const Manifesto& manifesto);
std::optional<Manifesto> DoTexto(std::string_view texto);  // none when damaged

// `pastaServidor` with its separator. None when missing, not a plain file, or damaged.
std::optional<Manifesto> LeManifesto(platform::FileSystem& files, const std::string& pastaServidor);
// The same from any path (the copy a terminal keeps of the publication it holds).
std::optional<Manifesto> LeManifestoDoArquivo(platform::FileSystem& files, const std::string& caminho);
// Through a temporary in the same folder, flushed, then renamed over the old one.
bool GravaManifesto(platform::FileSystem& files, const std::string& pastaServidor, const Manifesto& manifesto);
std::string CaminhoManifesto(const std::string& pastaServidor);
std::string CaminhoAnuncio(const std::string& pastaServidor);

// Writes `conteudo` as `caminho` through a temporary of the copies' form beside it, flushed,
// then renamed over the old file; the temporary goes when anything fails.
bool GravaInteiro(platform::FileSystem& files, const std::string& caminho, std::string_view conteudo);

// Whether a publish is announced on the server now (an announcement renewed within the bound).
bool PublicacaoAnunciada(platform::FileSystem& files, const std::string& pastaServidor, std::time_t agora);

std::string DataUtc(std::time_t quando);

}  // namespace identidade
