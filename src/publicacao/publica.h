// Putting a build on the share whole: every file that differs goes into the server program folder
// through a temporary and a rename, with the build's times and attributes, the catalogue last,
// and then the manifest, itself last and through a rename. An announcement on the share tells the
// terminals, from before the first file until after the manifest, to leave the build alone. A
// publish cut anywhere leaves the announcement, and the same publish run again finishes it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace publicacao {

struct Pedido {
    std::string origem;   // the new build as the administrator received it
    std::string destino;  // the server program folder
    std::string maquina;  // who publishes, for the announcement
};

struct Progresso {
    size_t arquivo = 0, arquivos = 0;  // files copied so far and to copy
    uint64_t bytes = 0, totalBytes = 0;
    std::string nome;                  // the file in hand
};

enum class Desfecho {
    Publicada,         // the manifest of a new publication was written
    JaPublicada,       // the server already held this build whole: nothing was touched
    OutraEmAndamento,  // another publish holds the server: nothing was touched
    PedidoInvalido,    // the build or the server folder could not be used: nothing was touched
    Falhou,            // some file or the manifest could not be written: run it again
};

struct Resultado {
    Desfecho desfecho = Desfecho::Falhou;
    uint64_t numero = 0;  // the publication the server serves at the end (0: none)
    size_t arquivos = 0, copiados = 0, atributos = 0;
    uint64_t bytesCopiados = 0;
    std::vector<std::string> falhas;  // files that could not be published
    std::string motivo;               // why, when not published
};

struct Ouvintes {
    std::function<void(const Progresso&)> progresso;  // after every step of a copy
    std::function<void(const std::string&)> registro; // one line for the log
};

// The catalogue, copied after every other file of the build.
inline constexpr std::string_view kCatalogo = "TABDEF\\MODULOS.DAT";

Resultado Publica(platform::FileSystem& files, const Pedido& pedido, const Ouvintes& ouvintes);

}  // namespace publicacao
