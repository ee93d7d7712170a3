// The folders the copy decision needs, each listed once: names, sizes and times of a whole folder
// come in a few requests to the share, so judging a catalogue line costs no request at all, and a
// name the server lacks costs nothing. Answers are those the per-file calls would give (letter
// case ignored where the name is not there as written, sub-folders, links followed).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "acervo/acervo.h"
#include "identidade/manifesto.h"
#include "platform/platform.h"

namespace app {

class Listagens {
public:
    explicit Listagens(platform::FileSystem& files) : files_(files) {}

    struct Resposta {
        std::optional<acervo::Versao> versao;  // none: no such file (missing, or a folder)
        bool pastaLida = true;                 // false: its folder could not be listed
        uint32_t atributos = 0;                // the file's, as its folder lists them
    };
    // The file `nome` (relative; it may hold sub-folders) under `pasta` (with its separator).
    Resposta Procura(const std::string& pasta, const std::string& nome);
    // A copy changed `nome` under `pasta`: what is there now.
    void Atualiza(const std::string& pasta, const std::string& nome);
    // The file at a full path, asked of the system itself (a folder that could not be listed).
    std::optional<acervo::Versao> Direto(const std::string& caminho);
    // Forgets what was listed of `pasta` and below it (files were deleted there).
    void Esquece(const std::string& pasta);
    // The manifest of the publication the server serves, when one could be read: its digests decide
    // between two versions of the same size and time.
    void DefineManifesto(std::optional<identidade::Manifesto> manifesto) { manifesto_ = std::move(manifesto); }
    const identidade::Manifesto* ManifestoDoServidor() const { return manifesto_ ? &*manifesto_ : nullptr; }
    platform::FileSystem& Arquivos() { return files_; }

private:
    struct Pasta {
        bool lida = false;
        std::vector<platform::DirEntry> entradas;
        // Positions in `entradas` in folder order (letter case ignored, then as written): a name
        // is found as written or in any case without a second copy of the names.
        std::vector<uint32_t> ordem;
    };
    Pasta& Lista(const std::string& caminho);
    static const platform::DirEntry* Entrada(const Pasta& pasta, const std::string& nome);
    static void Indexa(Pasta& pasta, uint32_t posicao);
    // Where sub-folders lead: the folder that holds the last component; none when one is missing.
    std::optional<std::string> PastaDe(const std::string& pasta, const std::vector<std::string>& partes, bool& lida);

    platform::FileSystem& files_;
    std::map<std::string, Pasta> pastas_;
    std::optional<identidade::Manifesto> manifesto_;
};

}  // namespace app
