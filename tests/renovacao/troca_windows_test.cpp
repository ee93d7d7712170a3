// Windows: the running AtualizaTerminalQOR7.exe cannot be replaced, only renamed. A real second
// build put in ATUALIZADOR takes the name of a program that runs (started suspended), the one that
// runs is kept as the previous updater, and the next tidy-up removes it once it has ended.
#if defined(_WIN32) && defined(ATUALIZA_SEGUNDA_EXE)

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "renovacao/marca.h"
#include "renovacao/renovacao.h"
#include "support/running_program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(TrocaNoWindows, ANewBuildTakesTheNameOfTheRunningExeAndTheOldOneIsKept) {
    testing_support::TempDir dir;
    fs::create_directories(dir / "servidor/TABDEF");
    fs::create_directories(dir / "servidor/ATUALIZADOR");
    fs::create_directories(dir / "terminal");
    fs::copy_file(ATUALIZA_SEGUNDA_EXE, dir / "servidor/ATUALIZADOR/AtualizaTerminalQOR7.exe");
    std::ofstream(dir / "servidor/TABDEF/MODULOS.DAT") << "nada.txt\r\n";
    std::ofstream(dir / "terminal/qor.ini") << "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" << dir.folder()
                                            << "servidor\\\r\n";
    fs::copy_file(ATUALIZA_EXE, dir / "terminal/AtualizaTerminalQOR7.exe");
    platform::Platform machine = platform::makeNativePlatform();
    const std::string program = dir.folder() + "terminal\\AtualizaTerminalQOR7.exe";
    const renovacao::LeituraDaMarca ours = renovacao::LeMarca(*machine.files, program);
    ASSERT_TRUE(ours.marca) << ours.motivo;
    renovacao::Ambiente ambiente{*machine.files, *machine.processes, dir.folder() + "terminal\\",
                                 {ours.marca->versao, ours.marca->compilacao}, 60};
    {
        testing_support::RunningProgram running(program, testing_support::RunningProgram::AsItIs);
        ASSERT_TRUE(running.started());
        EXPECT_FALSE(machine.files->replaceFile(ATUALIZA_SEGUNDA_EXE, program)) << "Windows replaced a running exe";
        const renovacao::Resultado result = renovacao::Renova(ambiente, dir.folder() + "servidor\\");
        EXPECT_EQ(result.desfecho, renovacao::Desfecho::Tomada) << result.texto;
        const renovacao::LeituraDaMarca now = renovacao::LeMarca(*machine.files, program);
        ASSERT_TRUE(now.marca) << now.motivo;
        EXPECT_EQ(now.marca->versao, ATUALIZA_SEGUNDA_VERSAO);
        const renovacao::LeituraDaMarca kept = renovacao::LeMarca(*machine.files, dir.folder() + "terminal\\" + renovacao::NomeAnterior());
        ASSERT_TRUE(kept.marca) << kept.motivo;
        EXPECT_EQ(kept.marca->versao, ATUALIZA_PROJECT_VERSION);
        EXPECT_FALSE(fs::exists(dir / "terminal" / renovacao::NomeNovo()));
    }
    // The old program has ended: what was renamed away goes with the next tidy-up.
    ambiente.nossa = {ATUALIZA_SEGUNDA_VERSAO, ""};
    renovacao::Arruma(ambiente);
    EXPECT_FALSE(fs::exists(dir / "terminal" / renovacao::NomeSaindo()));
    EXPECT_TRUE(fs::exists(dir / "terminal/AtualizaTerminalQOR7.exe"));
}

}  // namespace

#endif
