// The real program on a sample installation: message blocks on standard output, the launches
// recorded by stand-in module executables, and the marker file, on both paths.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

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
    std::string Run(const std::vector<std::string>& arguments, int expectedStatus = 0) {
        const std::string output = (dir / "saida.txt").string();
        const auto result = testing_support::RunAndWait(Program(), arguments, (dir / "estacao/terminal").string(), 15, {output});
        EXPECT_TRUE(result.exitStatus.has_value()) << "did not end by itself";
        EXPECT_EQ(result.exitStatus.value_or(-1), expectedStatus);
        std::ifstream in(output, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The stand-ins start detached: wait a little for their record.
    std::string Launches() const {
        const fs::path record = dir / "estacao/terminal/lancamentos.txt";
        for (int i = 0; i < 150 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
    const std::string out = Run({"F"}, 1);
    EXPECT_EQ(out, "--- plain\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
                   "--- answer: OK\n");
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/ATUALIZA.DAT"));
}

}  // namespace

#endif
