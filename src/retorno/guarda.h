// Keeps the version that each copy of a run replaces as the file's previous generation, without
// copying a byte: before the copy, the terminal's file gets a second name in the pending folder;
// once the copy replaced the file, that name moves over the kept one (one generation per file,
// the last one replaced); when it did not, the second name goes. The file's own name is never
// touched here, so a kill at any moment leaves it old or new. A version that cannot be kept
// (another volume, a file system without links, no room for a name) changes nothing in the copy.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "acervo/acervo.h"
#include "platform/platform.h"

namespace retorno {

// What the record keeps of the version a copy replaced.
struct Guardado {
    acervo::Anterior anterior = acervo::Anterior::NaoGuardada;
    platform::FileStamp versao;  // of the kept file, when anterior is Guardada
};

class Guarda {
public:
    using Aviso = std::function<void(const std::string& linha)>;  // what the run log should say
    // `execucao`: the run's number, for its journal (diario.h).
    Guarda(std::shared_ptr<platform::FileSystem> files, std::string pastaPrograma, uint64_t execucao, Aviso aviso);

    // Before the clean-up deletes `nome`.
    void Prepara(const std::string& nome);
    // Before a copy over `nome` (as the catalogue names it) of the server version `servidor`.
    // `reparo`: the entry of the update that this copy repairs (copied half-published, or left
    // unfinished); its kept version is carried forward instead of the flawed copy being kept.
    void Prepara(const std::string& nome, const platform::FileStamp& servidor, const acervo::Entrada* reparo);
    // After it: whether the copy replaced the file. What the record should say of the old version.
    Guardado Conclui(const std::string& nome, bool substituido);
    // The clean-up deleted `nome` after Prepara: its second name holds the old version until a
    // copy of this run brings the file back (Conclui), or the run ends (Encerra).
    void Apagado(const std::string& nome);
    // The end of the run: second names of deleted files that no copy brought back go.
    void Encerra();

private:
    enum class Passo { Novo, Falhou, Pendente, Repetido, Adiante };
    void Prepara(const std::string& nome, const std::string& normal, const std::optional<platform::FileStamp>& servidor);
    void Adianta(const std::string& nome, const std::string& normal, const platform::FileStamp& servidor,
                 const acervo::Entrada& reparo);
    bool Anota(const std::string& nome, const std::optional<platform::FileStamp>& servidor,
               const std::optional<platform::FileStamp>& anterior);
    Guardado Guarda_(const std::string& nome, const std::string& normal);
    std::string Caminho(const std::string& relativo) const { return pasta_ + relativo; }

    std::shared_ptr<platform::FileSystem> files_;
    std::string pasta_;
    uint64_t execucao_;
    Aviso aviso_;
    std::map<std::string, Passo> passos_;        // by acervo::Chave of the normal name
    std::map<std::string, std::string> apagados_;  // deleted by the clean-up: the pending second name
    std::map<std::string, Guardado> feitos_;     // kept in this run: a second copy keeps nothing more
    std::map<std::string, Guardado> adiante_;    // repairs: the kept version carried forward
    // The file's attributes before the copy: a copy clears them on the old file (shared with its
    // second name) to replace it, and the kept version gets them back.
    std::map<std::string, uint32_t> atributos_;
};

}  // namespace retorno
