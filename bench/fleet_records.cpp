// Writes a shop's worth of state records into a folder, as the terminals' runs write them (for
// bench/fleet_bench.sh): mostly up to date, some behind with their lists, some failed, some
// updating, some silent for days. Usage: fleet_records FOLDER COUNT
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "frota/estado.h"
#include "frota/gravacao.h"
#include "platform/dos_time.h"
#include "platform/platform.h"

namespace {

frota::EstadoTerminal Terminal(int i, std::time_t agora) {
    frota::EstadoTerminal e;
    char nome[32];
    std::snprintf(nome, sizeof nome, "CAIXA-%04d", i);
    e.maquina = nome;
    e.usuario = "operador" + std::to_string(i % 17);
    e.pastaPrograma = "C:\\QOR7\\";
    e.versao = "1.05";
    e.compilacao = "bench";
    e.inicio = agora - 120;
    e.fim = agora - 100;
    e.situacao = frota::Situacao::Normal;
    e.codigoSaida = 0;
    e.copiados = i % 5;
    e.catalogo = "\\\\SERVIDOR\\QOR7\\TABDEF\\MODULOS.DAT";
    if (i % 20 == 1) {
        e.codigoSaida = 2;
        for (int k = 0; k < 40; ++k) e.arquivosAtrasados.push_back("pkModulo" + std::to_string(k) + ".bpl");
    } else if (i % 33 == 2) {
        e.situacao = frota::Situacao::Falha;
        e.codigoSaida = 1;
        e.falha = "Catálogo de módulos não encontrado: \\\\SERVIDOR\\QOR7\\TABDEF\\MODULOS.DAT";
        e.catalogoIncompleto = true;
    } else if (i % 50 == 3) {
        e.situacao = frota::Situacao::EmAndamento;
        e.fim.reset();
        e.codigoSaida.reset();
    }
    return e;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "uso: fleet_records PASTA QUANTOS\n");
        return 2;
    }
    const std::string pasta = frota::ComSeparador(argv[1]);
    const int quantos = std::atoi(argv[2]);
    const platform::Platform maquina = platform::makeNativePlatform();
    const std::time_t agora = std::time(nullptr);
    int gravados = 0;
    for (int i = 1; i <= quantos; ++i) gravados += frota::GravaEstado(*maquina.files, pasta, Terminal(i, agora));
    std::printf("%d registros gravados em %s\n", gravados, pasta.c_str());
    return gravados == quantos ? 0 : 1;
}
