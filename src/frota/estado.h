// The state record that a terminal leaves in the server's TERMINAIS folder: what the last command
// of the updater on this terminal came to. One small UTF-8 text file of "key=value" lines, so that
// an administrator can also read it in Notepad.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace frota {

// A record stays under this size: long lists are cut, their full count kept.
inline constexpr size_t kLimiteRegistro = 16 * 1024;
// The first line of every record; a file without it is no record of ours.
inline constexpr std::string_view kAssinatura = "# AtualizaTerminalQOR7: estado do terminal (formato 1)";

enum class Situacao { EmAndamento, Normal, Falha };

struct Campo {
    std::string chave, valor;
};

// A list is written as its full count ("chaveTotal=N") and one line per item ("chaveItem=...").
struct Lista {
    std::string chaveTotal, chaveItem;
    std::vector<std::string> itens;
};

// What the command tells: filled by whoever writes the record (the update run, or another
// command of the updater), written as it stands. New facts go into `adicionais` and
// `listasAdicionais`, after the fields below.
struct EstadoTerminal {
    std::string comando = "atualização";
    std::string maquina, usuario, pastaPrograma, versao, compilacao;
    std::time_t inicio = 0;
    std::optional<std::time_t> fim;
    Situacao situacao = Situacao::EmAndamento;
    std::optional<int> codigoSaida;
    std::string significadoCodigo;
    std::string falha;  // the failure message, when there was one
    int64_t copiados = 0, bytesCopiados = 0;
    double segundosCopiando = 0;
    std::vector<std::string> modulosAntigos;    // module executables that stayed old
    std::vector<std::string> arquivosAtrasados; // files still behind the server after the command
    bool catalogoIncompleto = false;            // the walk did not reach the catalogue's end
    std::string catalogo;
    std::optional<uint64_t> catalogoTamanho;
    std::optional<std::time_t> catalogoHora;
    std::vector<Campo> adicionais;
    std::vector<Lista> listasAdicionais;
};

// The record's text: the signature, the fields, then the lists; CR LF line ends. Each value is
// one line (control characters become blanks) of at most kLimiteValor bytes; the whole stays
// under kLimiteRegistro.
std::string TextoDoRegistro(const EstadoTerminal& estado);

inline constexpr size_t kLimiteValor = 512;

// The words a record uses for the situation ("em andamento", "normal", "falha").
const char* NomeDaSituacao(Situacao situacao);

}  // namespace frota
