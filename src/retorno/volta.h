// The step back: every file that the last run which copied anything replaced, and that is still
// as that run left it, gets back its kept previous version (content and time). Per file: the
// current file gets a second name in the pending folder, the kept version is moved over the file,
// and that second name over the kept one, so that the version taken back becomes the previous
// generation. Each step leaves the file old or new; a step back killed halfway is completed by
// the next one, which tells from the files' sizes and times how far each file got.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acervo/acervo.h"
#include "platform/platform.h"

namespace retorno {

enum class Desfecho {
    Voltou,     // the terminal holds the previous version again
    Novo,       // the run brought the file new: there was no previous version
    NaoVoltou,  // left as it is, for `motivo`
};

struct ArquivoDaVolta {
    std::string nome;
    Desfecho desfecho = Desfecho::NaoVoltou;
    std::string motivo;            // why not, in the user's words
    std::optional<uint32_t> hora;  // the restored version's time (DOS form), when it came back
};

enum class Situacao {
    NadaGuardado,  // no run kept anything: nothing to take back
    JaDesfeita,    // the last run was already taken back
    Feita,         // the files of the last run, each with its outcome
};

struct Volta {
    Situacao situacao = Situacao::NadaGuardado;
    std::vector<ArquivoDaVolta> arquivos;
    size_t Quantos(Desfecho desfecho) const;
};

// Takes the last copying run back on the terminal. The files restored become `retido` in the
// record, with the server version taken back, so that no run copies that version again; the
// caller writes the record.
Volta VoltaUltimaAtualizacao(platform::FileSystem& files, const std::string& pastaPrograma, acervo::Acervo& acervo);

}  // namespace retorno
