// Windows: the running AtualizaTerminalQOR7.exe cannot be replaced. A real second build put in
// ATUALIZADOR is proven and left as AtualizaTerminalQOR7.novo.exe, the name still the running
// program's; started with --assumir, that copy takes the name once the old process has ended, the
// old one kept as the previous updater. Killed at any moment of that take-over, the name still
// holds a working updater, and a later take-over completes.
#if defined(_WIN32) && defined(ATUALIZA_SEGUNDA_EXE)

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <optional>

#include "platform/platform.h"
#include "renovacao/marca.h"
#include "renovacao/renovacao.h"
#include "support/running_program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class TrocaNoWindows : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "servidor/TABDEF");
        fs::create_directories(dir / "servidor/ATUALIZADOR");
        fs::create_directories(dir / "terminal");
        fs::copy_file(ATUALIZA_SEGUNDA_EXE, dir / "servidor/ATUALIZADOR/AtualizaTerminalQOR7.exe");
        std::ofstream(dir / "servidor/TABDEF/MODULOS.DAT") << "nada.txt\r\n";
        std::ofstream(dir / "terminal/qor.ini") << "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" << dir.folder()
                                                << "servidor\\\r\n";
        fs::copy_file(ATUALIZA_EXE, dir / "terminal/AtualizaTerminalQOR7.exe");
    }

    std::optional<std::string> VersaoEm(const std::string& path) {
        const renovacao::LeituraDaMarca lida = renovacao::LeMarca(*machine.files, path);
        if (!lida.marca) return std::nullopt;
        return lida.marca->versao;
    }

    // The old program's entry while it runs: the pid and start time a run hands to its copy.
    platform::ProcessEntry EntradaDe(uint32_t pid) {
        for (const platform::ProcessEntry& e : machine.processes->snapshot(platform::SnapshotKind::ProcessesOnly))
            if (e.pid == pid) return e;
        ADD_FAILURE() << "pid " << pid << " not listed";
        return {};
    }

    // The run's swap: under a running program, it leaves the proven copy for --assumir.
    platform::ProcessEntry RenovaSobOProgramaRodando() {
        testing_support::RunningProgram running(program, testing_support::RunningProgram::AsItIs);
        EXPECT_TRUE(running.started());
        EXPECT_FALSE(machine.files->replaceFile(ATUALIZA_SEGUNDA_EXE, program)) << "Windows replaced a running exe";
        const renovacao::LeituraDaMarca ours = renovacao::LeMarca(*machine.files, program);
        EXPECT_TRUE(ours.marca) << ours.motivo;
        renovacao::Ambiente ambiente{*machine.files, *machine.processes, terminal,
                                     {ours.marca->versao, ours.marca->compilacao}, 60};
        const renovacao::Resultado result = renovacao::Renova(ambiente, dir.folder() + "servidor\\");
        EXPECT_EQ(result.desfecho, renovacao::Desfecho::Tomada) << result.texto;
        EXPECT_TRUE(result.assumir) << result.texto;
        EXPECT_EQ(VersaoEm(program), ATUALIZA_PROJECT_VERSION) << "the name changed under a running program";
        return EntradaDe(running.pid());
    }

    platform::BoundedRun Assume(const platform::ProcessEntry& antigo, double segundos) {
        return machine.processes->runBounded(novo, {"--assumir", std::to_string(antigo.pid), std::to_string(antigo.started)},
                                             terminal, segundos);
    }

    std::string Apresenta() {
        const platform::BoundedRun run = machine.processes->runBounded(program, {"--version"}, terminal, 30);
        return run.exitCode == 0 ? run.output.substr(0, run.output.find('\n')) : "(não respondeu)";
    }

    testing_support::TempDir dir;
    platform::Platform machine = platform::makeNativePlatform();
    const std::string terminal = dir.folder() + "terminal\\";
    const std::string program = terminal + "AtualizaTerminalQOR7.exe";
    const std::string novo = terminal + renovacao::NomeNovo();
    const std::string anterior = terminal + renovacao::NomeAnterior();
};

TEST_F(TrocaNoWindows, TheNewBuildTakesTheNameOnceTheOldProcessHasEndedAndTheOldOneIsKept) {
    RenovaSobOProgramaRodando();
    ASSERT_EQ(VersaoEm(novo), ATUALIZA_SEGUNDA_VERSAO);
    EXPECT_EQ(VersaoEm(anterior), ATUALIZA_PROJECT_VERSION);

    // Typed by hand on the program itself: nothing happens.
    const platform::BoundedRun typed = machine.processes->runBounded(program, {"--assumir", "1", "1"}, terminal, 30);
    EXPECT_EQ(typed.exitCode, 0);
    EXPECT_EQ(VersaoEm(program), ATUALIZA_PROJECT_VERSION);
    ASSERT_TRUE(fs::exists(dir / "terminal" / renovacao::NomeNovo()));

    // While the old program runs the copy waits; once it ends, the name is the new build's.
    std::optional<testing_support::RunningProgram> again;
    again.emplace(program, testing_support::RunningProgram::AsItIs);
    ASSERT_TRUE(again->started());
    const platform::ProcessEntry rodando = EntradaDe(again->pid());
    auto helper = std::async(std::launch::async, [&] { return Assume(rodando, 60); });
    EXPECT_EQ(helper.wait_for(std::chrono::seconds(3)), std::future_status::timeout) << "did not wait for the old process";
    EXPECT_EQ(VersaoEm(program), ATUALIZA_PROJECT_VERSION);
    again.reset();
    const platform::BoundedRun run = helper.get();
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(VersaoEm(program), ATUALIZA_SEGUNDA_VERSAO);
    EXPECT_EQ(VersaoEm(anterior), ATUALIZA_PROJECT_VERSION);
    EXPECT_FALSE(fs::exists(dir / "terminal" / renovacao::NomeNovo()));
    EXPECT_NE(Apresenta().find(ATUALIZA_SEGUNDA_VERSAO), std::string::npos);
}

TEST_F(TrocaNoWindows, KilledAnywhereInTheTakeOverTheNameAnswersAndALaterTakeOverCompletes) {
    const platform::ProcessEntry antigo = RenovaSobOProgramaRodando();
    const std::string velha = "AtualizaTerminalQOR7 versão " ATUALIZA_PROJECT_VERSION " (";
    const std::string nova = "AtualizaTerminalQOR7 versão " ATUALIZA_SEGUNDA_VERSAO " (";
    int cortadas = 0;
    // Kill moments spread from its start to past its end under Wine (the bound ends it by its handle).
    for (double segundos : {0.02, 0.1, 0.2, 0.3, 0.45, 0.6, 0.8, 1.0, 1.3, 1.7, 2.2, 3.0}) {
        SCOPED_TRACE("killed after " + std::to_string(segundos) + " s");
        if (VersaoEm(program) != ATUALIZA_PROJECT_VERSION) {  // the last one finished: once more from the old
            fs::copy_file(dir / "terminal/AtualizaTerminalQOR7.exe", dir / "terminal" / renovacao::NomeNovo());
            fs::copy_file(ATUALIZA_EXE, dir / "terminal/AtualizaTerminalQOR7.exe", fs::copy_options::overwrite_existing);
        }
        const platform::BoundedRun run = Assume(antigo, segundos);
        cortadas += run.timedOut;
        const std::string linha = Apresenta();
        EXPECT_TRUE(linha.starts_with(velha) || linha.starts_with(nova)) << linha;
        // Exactly one of the two under the name: what was not taken is still the copy on trial.
        if (linha.starts_with(velha)) EXPECT_EQ(VersaoEm(novo), ATUALIZA_SEGUNDA_VERSAO);
        if (linha.starts_with(nova)) EXPECT_FALSE(fs::exists(dir / "terminal" / renovacao::NomeNovo()));
    }
    EXPECT_GT(cortadas, 0) << "no take-over was cut";
    if (VersaoEm(program) == ATUALIZA_PROJECT_VERSION) EXPECT_EQ(Assume(antigo, 60).exitCode, 0);
    EXPECT_TRUE(Apresenta().starts_with(nova));
    EXPECT_EQ(VersaoEm(anterior), ATUALIZA_PROJECT_VERSION);
}

}  // namespace

#endif
