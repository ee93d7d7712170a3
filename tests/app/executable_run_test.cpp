// The real program on a sample installation: message blocks on standard output, the launches
// recorded by stand-in module executables, and the marker file, on both paths.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

// A module that only writes down that it was started, with its arguments, in its working folder.
const std::string kStandIn = "#!/bin/sh\necho \"$(basename \"$0\")$*\" >> \"$PWD/lancamentos.txt\"\n";

class RealRun : public ::testing::Test {
protected:
    RealRun() {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        fs::create_directories(dir / "rede/servidor/QOR7/TABDEF");
        fs::create_directories(dir / "estacao/terminal");
        fs::copy_file(ATUALIZA_EXE, Program());
        for (const char* module : {"QOR7.EXE", "HALDENMOR7.EXE"}) {
            const std::string path = dir.write(std::string("rede/servidor/QOR7/") + module, kStandIn);
            fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
        }
        dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT",
                  ModuleLine("QOR7.EXE", "Sistema Principal") + "\r\n" + ModuleLine("HALDENMOR7.EXE", "Frente de Caixa") +
                      "\r\n");
        dir.write("estacao/terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() +
                                                  "rede/servidor/QOR7/\r\n");
        dir.write("estacao/terminal/ATUALIZA.DAT", "");
    }
    std::string Program() const {
        return (dir / "estacao/terminal" / fs::path(ATUALIZA_EXE).filename()).string();
    }
    // Runs the program in the terminal folder; returns its standard output.
    std::string Run(const std::vector<std::string>& arguments) {
        const std::string output = (dir / "saida.txt").string();
        const auto result = testing_support::RunAndWait(Program(), arguments, (dir / "estacao/terminal").string(), 15, {output});
        EXPECT_TRUE(result.exitStatus.has_value() && *result.exitStatus == 0) << "did not end by itself";
        std::ifstream in(output, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The stand-ins start detached: wait a little for their records, in the order written.
    std::string Launches(size_t expected = 1) const {
        const fs::path record = dir / "estacao/terminal/lancamentos.txt";
        const auto lines = [&] {
            const std::string text = fs::exists(record) ? dir.read("estacao/terminal/lancamentos.txt") : "";
            return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
        };
        for (int i = 0; i < 150 && lines() < expected; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return fs::exists(record) ? dir.read("estacao/terminal/lancamentos.txt") : "";
    }
    testing_support::TempDir dir;
};

TEST_F(RealRun, CopiesReportsAndStartsTheMainModule) {
    const std::string out = Run({});
    EXPECT_EQ(out, "--- information\nArquivos Atualizados :\n\n"
                   "  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\n"
                   "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1 Kb\n\n--- answer: OK\n");
    EXPECT_EQ(Launches(), "QOR7.EXE\n");  // one blank as parameters gives no argument
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/ATUALIZA.DAT"));
}

TEST_F(RealRun, CapitalFStartsThePointOfSaleModuleAndLowerCaseDoesNot) {
    Run({"F"});
    EXPECT_EQ(Launches(), "HALDENMOR7.EXE\n");
    fs::remove(dir / "estacao/terminal/lancamentos.txt");
    const std::string second = Run({"f"});
    EXPECT_EQ(second, "");  // everything is current now
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
}

TEST_F(RealRun, WithoutSettingsTheFailureMessageHasEmptyParenthesesAndTheMainModuleStarts) {
    fs::remove(dir / "estacao/terminal/qor.ini");
    fs::copy_file(dir / "rede/servidor/QOR7/QOR7.EXE", dir / "estacao/terminal/QOR7.EXE");
    const std::string out = Run({"F"});
    EXPECT_EQ(out, "--- plain\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
                   "--- answer: OK\n");
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/ATUALIZA.DAT"));
}

TEST_F(RealRun, AFailedRunStartsTheServerProgramItEndedAndTheMainModule) {
    fs::remove(dir / "estacao/terminal/qor.ini");
    for (const char* module : {"QOR7.EXE", "SERVERQOR.EXE"}) {
        const std::string path = dir.write(std::string("estacao/terminal/") + module, kStandIn);
        fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    }
    std::string shownAs = "SERVERQOR.EXE", seconds = "60";
    char* argv[] = {shownAs.data(), seconds.data(), nullptr};
    pid_t server = 0;
    ASSERT_EQ(posix_spawn(&server, "/bin/sleep", nullptr, nullptr, argv, environ), 0);

    const std::string out = Run({"F"});
    int status = 0;
    const bool ended = waitpid(server, &status, WNOHANG) == server;
    if (!ended) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
    }
    EXPECT_TRUE(ended && WIFSIGNALED(status)) << "the running server program was not ended";
    EXPECT_EQ(out, "--- plain\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
                   "--- answer: OK\n");
    // Both start detached: their records may come in either order.
    std::string launches = Launches(2);
    std::vector<std::string> started;
    for (size_t at = 0, end; (end = launches.find('\n', at)) != std::string::npos; at = end + 1)
        started.push_back(launches.substr(at, end - at));
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, (std::vector<std::string>{"QOR7.EXE", "SERVERQOR.EXE"})) << launches;
}

}  // namespace

#endif
