// The real program's --terminais: the shop's table on standard output, index.html in the records'
// folder, and an exit status for scripts; it ends no module and touches nothing else.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "frota/estado.h"
#include "frota/nome.h"
#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/running_program.h"
#include "support/nao_regulares.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

frota::EstadoTerminal Estado(const std::string& maquina, frota::Situacao situacao, int codigo) {
    frota::EstadoTerminal e;
    e.maquina = maquina;
    e.pastaPrograma = "C:\\QOR7\\";
    e.inicio = std::time(nullptr);
    e.situacao = situacao;
    e.codigoSaida = codigo;
    return e;
}

class ComandoTerminais : public ::testing::Test {
protected:
    ComandoTerminais() {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        fs::create_directories(dir / "rede/servidor/QOR7/TERMINAIS");
        fs::create_directories(dir / "estacao/terminal");
        fs::copy_file(ATUALIZA_EXE, Program());
        dir.write("estacao/terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() +
                                                  "rede/servidor/QOR7/\r\n");
    }
    std::string Program() const { return (dir / "estacao/terminal" / fs::path(ATUALIZA_EXE).filename()).string(); }
    void Grava(const frota::EstadoTerminal& e) {
        dir.write("rede/servidor/QOR7/TERMINAIS/" + frota::NomeDoRegistro(e.maquina, e.pastaPrograma),
                  frota::TextoDoRegistro(e));
    }
    int Run(const std::vector<std::string>& arguments) {
        const auto result = testing_support::RunAndWait(Program(), arguments, (dir / "estacao/terminal").string(), 15,
                                                        {(dir / "saida.txt").string()});
        std::ifstream in(dir / "saida.txt", std::ios::binary);
        out = std::string(std::istreambuf_iterator<char>(in), {});
        fs::remove(dir / "saida.txt");
        return result.exitStatus.value_or(-1);
    }
    std::set<std::string> Everything() const {
        std::set<std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(dir.path()))
            all.insert(fs::relative(e.path(), dir.path()).string());
        return all;
    }
    testing_support::TempDir dir;
    std::string out;
};

TEST_F(ComandoTerminais, ATerminalThatFailedAsksForAttentionAndThePageIsWritten) {
    testing_support::RunningProgram module((dir / "estacao/terminal/LUNDAMI7.EXE").string());
    ASSERT_TRUE(module.started());
    Grava(Estado("CAIXA-01", frota::Situacao::Normal, 0));
    frota::EstadoTerminal falhou = Estado("CAIXA-02", frota::Situacao::Falha, 1);
    falhou.falha = "Catálogo de módulos não encontrado";
    Grava(falhou);
    std::set<std::string> before = Everything();

    EXPECT_EQ(Run({"--terminais"}), 1);  // the folder from qor.ini
    EXPECT_NE(out.find("com falha: 1   silencioso: 0   nunca visto: 0   atrasado: 0\n"
                       "versão anterior: 0   atualizando: 0   em dia: 1   arquivos ignorados: 0\n"), std::string::npos) << out;
    EXPECT_LT(out.find("CAIXA-02"), out.find("CAIXA-01")) << out;  // worst first
    EXPECT_NE(out.find("Catálogo de módulos não encontrado"), std::string::npos);
    before.insert("rede/servidor/QOR7/TERMINAIS/index.html");
    EXPECT_EQ(Everything(), before);  // the page and nothing else: no log, no module copied
    EXPECT_NE(dir.read("rede/servidor/QOR7/TERMINAIS/index.html").find("CAIXA-02"), std::string::npos);
    EXPECT_TRUE(module.running());
}

TEST_F(ComandoTerminais, ExitStatusForAShopUpToDateAFolderThatCannotBeReadAndAWrongCommandLine) {
    Grava(Estado("CAIXA-01", frota::Situacao::Normal, 0));
    const std::string pasta = (dir / "rede/servidor/QOR7/TERMINAIS").string();
    EXPECT_EQ(Run({"--terminais", pasta}), 0) << out;
    EXPECT_EQ(Run({"--terminais", pasta, "--horas", "1"}), 0) << out;
    EXPECT_EQ(Run({"--terminais", pasta + "/falta"}), 2);
    EXPECT_NE(out.find("não pôde ser lida"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(pasta + "/falta"));
    for (const auto& errado : std::vector<std::vector<std::string>>{
             {"--terminais", "--horas", "x"}, {"--terminais", "--horas"}, {"--terminais", "a", "b"}, {"--terminais", "--nada"}})
        EXPECT_EQ(Run(errado), 3) << errado.back();
}

// Anyone who can write the folder can leave a pipe, a socket or a device there under a record's
// name: the command still ends at once, counting them as foreign files.
TEST_F(ComandoTerminais, SpecialFilesNamedLikeRecordsAreSkippedAndNothingWaits) {
    Grava(Estado("CAIXA-01", frota::Situacao::Normal, 0));
    testing_support::MakeSpecialFiles(dir.folder() + "rede/servidor/QOR7/TERMINAIS/",
                                      {"CANO_00000001.txt", "TOMADA_00000002.txt", "APARELHO_00000003.txt"});
    EXPECT_EQ(Run({"--terminais"}), 0) << out;
    EXPECT_NE(out.find("arquivos ignorados: 3"), std::string::npos) << out;
}

// A page that could not be written is a failure of its own, added to a terminal's need of attention.
TEST_F(ComandoTerminais, APageThatCannotBeWrittenIsToldByTheExitStatus) {
    Grava(Estado("CAIXA-01", frota::Situacao::Normal, 0));
    fs::create_directory(dir / "rede/servidor/QOR7/TERMINAIS/index.html");
    EXPECT_EQ(Run({"--terminais"}), 4) << out;
    EXPECT_NE(out.find("NÃO pôde ser gravada"), std::string::npos) << out;
    Grava(Estado("CAIXA-02", frota::Situacao::Falha, 1));
    EXPECT_EQ(Run({"--terminais"}), 5) << out;
}

}  // namespace

#endif  // _WIN32
