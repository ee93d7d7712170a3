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

// Grouped by what the administrator does about each, the most urgent first.
enum class Grupo { Falha, Silencioso, NuncaVisto, Atrasado, Retido, EmAndamento, EmDia };
inline constexpr Grupo kGrupos[] = {Grupo::Falha,  Grupo::Silencioso,  Grupo::NuncaVisto, Grupo::Atrasado,
                                    Grupo::Retido, Grupo::EmAndamento, Grupo::EmDia};

const char* NomeDoGrupo(Grupo grupo);  // "com falha", "silencioso", ...
const char* AcaoDoGrupo(Grupo grupo);  // what the administrator does about a terminal of the group

struct OpcoesPainel {
    std::time_t agora = 0;
    int horasSilencio = 24;  // a terminal not heard of for longer is silent
};

// A run still "em andamento" after this long was cut short (killed, power cut), unless it
// said that it waits at a box for the user.
inline constexpr int kMinutosDeUmaExecucao = 60;
// At most this many records are read; the rest are counted as skipped.
inline constexpr size_t kMaximoRegistros = 10000;
// The administrator's list of the shop's machines, one name a line, in the records' folder:
// those that never left a record are shown as never seen.
inline constexpr const char* kArquivoEsperados = "terminais-esperados.txt";

// One terminal: its record's file name is its key; everything else is what the record says.
struct Terminal {
    std::string arquivo;  // empty for an expected terminal that never left a record
    Grupo grupo = Grupo::EmDia;
    std::optional<std::time_t> contato;  // when its record was last written, as the share lists it
    std::optional<std::time_t> ultimoSucesso;  // the end of its last run that left it current
    std::string maquina, usuario, pasta, versao, compilacao, inicio, fim;
    std::optional<int64_t> publicacao;  // the build it holds, when the server had a manifest
    std::string renovacao;              // the updater's own renewal in its last run, when any
    std::string detalhe;                // why it is in its group
    bool deOutroNome = false;           // the content names another file than the one it is in
};

struct Painel {
    std::string pasta;
    bool legivel = false;  // the folder could be listed
    OpcoesPainel opcoes;
    std::vector<Terminal> terminais;  // by group, the oldest news first within a group
    size_t ignorados = 0;             // damaged, foreign, oversized or special files
    size_t Quantos(Grupo grupo) const;
    bool PedeAtencao() const;  // a terminal failed, is behind, silent or never seen
    // Terminals whose record was written in the last 24 hours.
    size_t OuvidosNoUltimoDia() const;
    // When fewer than most terminals were heard of in the last day: the share itself may be broken.
    bool PoucosDeramNoticia() const;
    // The highest publication any record names, and how many terminals hold it.
    std::optional<int64_t> PublicacaoMaisRecente() const;
    size_t NaPublicacaoMaisRecente() const;
    // "1.05 (20261201-abc)" and how many terminals run it, the most common first.
    std::vector<std::pair<std::string, size_t>> Atualizadores() const;
    // Terminals whose last renewal of the updater was refused or failed.
    size_t RenovacoesComProblema() const;
};

// Whether a renewal outcome tells of a refusal or a failure.
bool RenovacaoComProblema(const std::string& renovacao);
// "1.05 (20261201-abc)", "1.05", or "" when the record names no version.
std::string NomeDoAtualizador(const Terminal& t);
// "há 5 min", "há 3 h", "há 2 dias": how long ago, as a person says it.
std::string HaQuanto(std::time_t agora, std::time_t quando);

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
