// What this terminal holds: for each file a copy installed, the server version it came from and
// the file the copy left on the terminal. File times alone cannot tell a build taken back on the
// server, a file copied while it was being published, or a copy whose time could not be set;
// this record can. The run reads it once, decides with it and writes it once.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "identidade/sha256.h"
#include "platform/platform.h"

namespace acervo {

enum class Estado {
    Instalado,   // the terminal holds the server version named
    Incompleto,  // its data came, but its time, attributes or permissions could not be given
    Retido,      // the server version named was taken back on this terminal: not copied again
};

// What became of the version that the copy replaced on the terminal.
enum class Anterior {
    NaoGuardada,  // it could not be kept (or the record is older than keeping)
    Nenhuma,      // the terminal lacked the file: nothing was replaced
    Guardada,     // kept beside the program as the file's previous generation
};

struct Entrada {
    std::string nome;                   // as the catalogue names it, relative to the program folder
    platform::FileStamp servidor;       // the server file as the copy read it
    platform::FileStamp local;          // the terminal's file as the copy left it
    std::optional<uint64_t> conteudo;   // digest of the terminal's file, where one was taken
    Estado estado = Estado::Instalado;
    uint64_t execucao = 0;              // the run that installed it (only runs that copy are counted)
    Anterior anterior = Anterior::NaoGuardada;
    platform::FileStamp versaoAnterior{};  // the kept previous generation, when anterior is Guardada
    // The server file had been written minutes before it was copied: it may have been a publish
    // in progress, and a later copy of an earlier-dated version of it repairs this one.
    bool recente = false;
    // SHA-256 of the terminal's file, where a publication's manifest checked it or a run took it.
    std::optional<identidade::Resumo> sha256{};
    bool operator==(const Entrada&) const = default;
};

// A file as one side holds it now.
struct Versao {
    platform::FileStamp stamp;
    std::optional<uint32_t> dos;  // its time in the DOS form; none outside 1980..2107
};

class Acervo {
public:
    // The entry for `nome` while it still describes the terminal's file (same size and exact
    // time as the copy left it). An entry that no longer does is dropped: the file changed
    // outside the updater, and nothing is known of it.
    const Entrada* Vigente(std::string_view nome, const std::optional<platform::FileStamp>& local);
    // Any entry for `nome`, as recorded, without looking at the terminal.
    const Entrada* Procura(std::string_view nome) const;
    // Keeps the entry; its run becomes the last run that copied anything when it is later.
    void Registra(Entrada entrada);
    void Esquece(std::string_view nome);
    std::vector<Entrada> Entradas() const;
    size_t Tamanho() const { return entradas_.size(); }
    // The number of the last run that installed anything (0: none yet). It outlives the entries
    // of that run, so that a later step back never mistakes an earlier run for the last one.
    uint64_t UltimaExecucao() const { return ultimaExecucao_; }
    void LembraExecucao(uint64_t execucao);
    // The publication whose build the last run that finished with the server's manifest installed
    // whole (0: none known).
    uint64_t Publicacao() const { return publicacao_; }
    void LembraPublicacao(uint64_t numero) {
        alterado_ = alterado_ || numero != publicacao_;
        publicacao_ = numero;
    }
    // Whether anything changed since it was read: an unchanged record is not written again.
    bool Alterado() const { return alterado_; }
    void ComoLido() { alterado_ = false; }

private:
    std::map<std::string, Entrada> entradas_;  // by Chave
    uint64_t ultimaExecucao_ = 0;
    uint64_t publicacao_ = 0;
    bool alterado_ = false;
};

// One spelling for one file: letters a to z in upper case, "/" as "\".
std::string Chave(std::string_view nome);

// Strictly later: by the DOS form where both times fit it, else by the exact times.
bool MaisNovo(const Versao& servidor, const Versao& local);

// The copy decision. Copy when the server has the file and the terminal lacks it or holds it
// older; and, for a file the record still describes, whenever the server holds another version
// than the one recorded (an earlier build put back, a file copied half-published), or the copy
// could not be finished. A version taken back is not copied again until the server changes it.
bool PrecisaCopiar(const std::optional<Versao>& servidor, const std::optional<Versao>& local,
                   const Entrada* vigente);

// Whether a copy over the file an entry describes repairs that entry's update rather than brings
// a new one: the copy was left unfinished, or it read a file just written whose server version
// now is not later (copied half-published, the publisher then gave it the build's earlier time).
// An earlier build put back is a new update; a version taken back is never repaired.
bool Repara(const Entrada& registrada, const Versao& servidor);

// Whether a server file written at `horaDoServidor` (a file time) was written in the last minutes,
// or later than this clock says: a publisher may still have been writing it.
bool Recente(int64_t horaDoServidor);

}  // namespace acervo
