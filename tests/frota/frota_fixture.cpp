#include "frota_fixture.h"

#include <gtest/gtest.h>

#include "frota/nome.h"
#include "platform/dos_time.h"

namespace frota_test {

frota::EstadoTerminal Estado(const std::string& maquina, frota::Situacao situacao, int codigo) {
    frota::EstadoTerminal e;
    e.maquina = maquina;
    e.usuario = "operador";
    e.pastaPrograma = "C:\\QOR7\\";
    e.versao = "1.05";
    e.inicio = std::time(nullptr);
    e.situacao = situacao;
    if (situacao != frota::Situacao::EmAndamento) {
        e.fim = e.inicio + 5;
        e.codigoSaida = codigo;
    }
    return e;
}

std::string PastaTerminais::Grava(const frota::EstadoTerminal& estado, std::time_t hora) {
    const std::string nome = frota::NomeDoRegistro(estado.maquina, estado.pastaPrograma);
    GravaBytes(nome, frota::TextoDoRegistro(estado), hora);
    return nome;
}

void PastaTerminais::GravaBytes(const std::string& nome, const std::string& bytes, std::time_t hora) {
    const std::string caminho = dir.write(nome, bytes);
    const std::tm local = *std::localtime(&hora);
    const auto dos = platform::packDosDateTime(
        {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
    ASSERT_TRUE(dos);
    std::unique_ptr<platform::File> arquivo = files->openRead(caminho);
    ASSERT_TRUE(arquivo && arquivo->setLastWriteDos(*dos)) << caminho;
}

}  // namespace frota_test
