// The catalogue phase's decisions, free of the window: reading MODULOS.DAT, the package and
// library sweeps, what a work-list line names and shows, the skip list, the copy decision and
// which names may be written into the program folder.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "acervo/acervo.h"
#include "app/listagens.h"
#include "platform/platform.h"

namespace app {

inline constexpr std::string_view kCatalogo = "MODULOS.DAT";

// Never copied, whatever the catalogue says: the updater itself (it is running) and one more.
inline constexpr std::array<std::string_view, 2> ListaDePulo = {"ATUALIZATERMINALQOR7.EXE", "VOLMAR.EXE"};

// The catalogue could not be read (missing, being written, changed while read, its server folder
// out of reach): the run's failure path.
class CatalogoError : public std::runtime_error {
public:
    explicit CatalogoError(const std::string& what, bool pastaInacessivel = false)
        : std::runtime_error(what), pastaInacessivel_(pastaInacessivel) {}
    // The folder itself did not answer: the share is down, not the catalogue missing.
    bool PastaInacessivel() const { return pastaInacessivel_; }

private:
    bool pastaInacessivel_;
};

// The whole file, one entry per line (byte-order mark or the system's ANSI code page; CR LF, LF
// or CR). Throws CatalogoError when it is missing, cannot be read, or another program writes it.
std::vector<std::string> CarregaCatalogo(platform::FileSystem& files, platform::System& system,
                                         const std::string& path);

// A file as it is now: none when missing, a folder, or gone before its time could be read.
std::optional<acervo::Versao> VersaoDe(platform::FileSystem& files, const std::string& caminho);

struct Decisao {
    bool copiar = false;
    bool servidorLido = true;  // false: the server's folder could not be listed, nothing was judged
};

// The copy decision for `nome` (acervo::PrecisaCopiar) from the listings of both folders: the
// server's file against the terminal's, with what the record knows of the name.
Decisao DecideCopia(Listagens& pastas, acervo::Acervo& registro, const std::string& nome,
                    const std::string& pastaServidor, const std::string& pastaPrograma);

// The server files matching mask ("*.BPL", "*.DLL"), in search order, that the copy decision
// would copy: their names without surrounding blanks.
std::vector<std::string> VarreServidor(platform::FileSystem& files, Listagens& pastas, acervo::Acervo& registro,
                                       const std::string& pastaServidor, const std::string& pastaPrograma,
                                       const std::string& mask);

// The names the catalogue's lines would copy (acervo::Chave), for the clean-up's keep rule.
std::set<std::string> NomesDoCatalogo(const std::vector<std::string>& linhas);

// A file the clean-up would delete that stays: this run would copy that very version back (a
// sweep mask or a catalogue line names it), the record names it, it is as the copy (or a step
// back) left it, the server still holds the version recorded with the file's attributes, its
// bytes match the record's digest, and its delete could not fail for being read-only (the user
// then sees the box the delete gives, as without the rule).
bool MantemVersaoDoServidor(platform::FileSystem& files, Listagens& pastas, acervo::Acervo& registro,
                            const std::string& pastaServidor, const std::string& pastaPrograma,
                            const std::set<std::string>& catalogo, const std::string& caminho,
                            const platform::DirEntry& entrada);

// What a work-list line names and what the status label shows for it.
struct LinhaDoCatalogo {
    std::string nome;    // the file name, relative to both folders
    std::string rotulo;  // for lbArquivo
};

// ".EXE" anywhere (case ignored): name in characters 1-26, title in 27-106; else ".BPL":
// "Arquivo BPL"; else ".DLL": "Arquivo DLL"; else the whole line is the name and the label.
// Fields lose surrounding characters of codes 0 to 32.
LinhaDoCatalogo ClassificaLinha(const std::string& linha);

// Characters 27 to 106 of a module line without surrounding blanks; empty for a shorter line.
std::string TituloDaLinha(const std::string& linha);

bool NaListaDePulo(const std::string& nome);

// A name that stays inside the program folder: no absolute path, no drive, no ".." that climbs
// out of it, no zero byte (which would end the name early). Sub-folders are fine.
bool NomeSeguro(const std::string& nome);

}  // namespace app
