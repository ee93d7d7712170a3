// The whole shop at a glance: every record of the TERMINAIS folder read, judged and ordered
// worst first, as a table for the console and as a static page for any browser.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "frota/leitura.h"
#include "platform/platform.h"

namespace frota {

// Worst first.
enum class Grupo { Falha, Silencioso, Atrasado, EmAndamento, EmDia };
inline constexpr Grupo kGrupos[] = {Grupo::Falha, Grupo::Silencioso, Grupo::Atrasado, Grupo::EmAndamento,
                                    Grupo::EmDia};

const char* NomeDoGrupo(Grupo grupo);  // "com falha", "silencioso", ...

struct OpcoesPainel {
    std::time_t agora = 0;
    int horasSilencio = 24;  // a terminal not heard of for longer is silent
};

// A run still "em andamento" after this long was cut short (killed, power cut).
inline constexpr int kMinutosDeUmaExecucao = 60;
// At most this many records are read; the rest are counted as skipped.
inline constexpr size_t kMaximoRegistros = 10000;

// One terminal: its record's file name is its key; everything else is what the record says.
struct Terminal {
    std::string arquivo;
    Grupo grupo = Grupo::EmDia;
    std::optional<std::time_t> contato;  // when its record was last written, as the share lists it
    std::string maquina, usuario, pasta, versao, inicio, fim;
    std::string detalhe;       // why it is in its group
    bool deOutroNome = false;  // the content names another file than the one it is in
};

struct Painel {
    std::string pasta;
    bool legivel = false;  // the folder could be listed
    OpcoesPainel opcoes;
    std::vector<Terminal> terminais;  // worst first, the oldest news first within a group
    size_t ignorados = 0;             // damaged, foreign or oversized files
    size_t Quantos(Grupo grupo) const;
    bool PedeAtencao() const;  // a terminal failed, is behind or is silent
};

// The terminal that a record read from `arquivo`, last written at `contato`, describes; none
// when the record is not one (an unknown situation).
std::optional<Terminal> Classifica(const std::string& arquivo, const RegistroLido& registro,
                                   std::optional<std::time_t> contato, const OpcoesPainel& opcoes);

// Reads every record of `pasta`. Never throws; a folder that cannot be listed gives legivel false.
Painel LePainel(platform::FileSystem& files, const std::string& pasta, const OpcoesPainel& opcoes);

// The table for the console (UTF-8, LF line ends) and the page (index.html), every field from a
// record made safe to show.
std::string TabelaDoPainel(const Painel& painel);
std::string PaginaDoPainel(const Painel& painel);

inline constexpr const char* kNomePagina = "index.html";

}  // namespace frota
