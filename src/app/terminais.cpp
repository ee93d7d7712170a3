#include "app/terminais.h"

#include <ctime>

#include "app/exit_status.h"
#include "frota/gravacao.h"
#include "frota/painel.h"
#include "frota/texto_seguro.h"
#include "platform/text.h"
#include "settings/retorna_caminho.h"

namespace app {

namespace {

constexpr const char* kComando = "--terminais";
constexpr int kHorasMaximas = 24 * 366;

struct Pedido {
    std::optional<std::string> pasta;
    int horas = 24;
};

std::optional<int> Horas(const std::string& texto) {
    if (texto.empty() || texto.size() > 4 || texto.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int horas = std::stoi(texto);
    if (horas < 1 || horas > kHorasMaximas) return std::nullopt;
    return horas;
}

// None when an argument is not understood.
std::optional<Pedido> LePedido(const std::vector<std::string>& argumentos) {
    Pedido pedido;
    for (size_t i = 1; i < argumentos.size(); ++i) {
        const std::string& a = argumentos[i];
        if (a == kComando) continue;
        if (a == "--horas") {
            const std::optional<int> horas = i + 1 < argumentos.size() ? Horas(argumentos[++i]) : std::nullopt;
            if (!horas) return std::nullopt;
            pedido.horas = *horas;
        } else if (!pedido.pasta && !a.empty() && a.compare(0, 2, "--") != 0) {
            pedido.pasta = a;
        } else {
            return std::nullopt;
        }
    }
    return pedido;
}

std::string PastaPadrao(const platform::Platform& plataforma) {
    try {
        return settings::RetornaCaminho(plataforma, "EXE") + std::string(frota::kPastaTerminais);
    } catch (...) {
        return {};  // no settings to lead there: the folder reads as missing
    }
}

// False when the page could not be written: the table alone is no refreshed page.
bool GravaPagina(platform::FileSystem& files, const frota::Painel& painel, std::string& texto) {
    const std::string caminho = frota::TextoVisivel(platform::pathForDisplay(painel.pasta + frota::kNomePagina));
    const bool gravada = frota::GravaAtomico(files, painel.pasta, frota::kNomePagina, frota::PaginaDoPainel(painel));
    texto += gravada ? "\nPágina: " + caminho + "\n" : "\nA página " + caminho + " NÃO pôde ser gravada.\n";
    return gravada;
}

}  // namespace

std::optional<ResultadoTerminais> ComandoTerminais(const std::vector<std::string>& argumentos,
                                                   const platform::Platform& plataforma) {
    bool pedido = false;
    for (size_t i = 1; i < argumentos.size(); ++i) pedido = pedido || argumentos[i] == kComando;
    if (!pedido) return std::nullopt;
    const std::optional<Pedido> lido = LePedido(argumentos);
    if (!lido) return ResultadoTerminais{"Uso: AtualizaTerminalQOR7 --terminais [PASTA] [--horas N]\n", TerminaisUsoInvalido};
    const std::string pasta = lido->pasta.value_or(PastaPadrao(plataforma));
    const frota::Painel painel = frota::LePainel(*plataforma.files, pasta, {std::time(nullptr), lido->horas});
    ResultadoTerminais resultado{frota::TabelaDoPainel(painel), TerminaisEmDia};
    if (!painel.legivel) {
        resultado.codigo = TerminaisPastaIlegivel;
        return resultado;
    }
    if (painel.PedeAtencao()) resultado.codigo = TerminaisPedemAtencao;
    if (!GravaPagina(*plataforma.files, painel, resultado.texto)) resultado.codigo += TerminaisPaginaNaoGravada;
    return resultado;
}

}  // namespace app
