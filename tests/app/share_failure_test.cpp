// The real program against a server folder on a share that fails: the share drops in the middle
// of a copy, is gone before the walk can list the server's folder, fails while the catalogue is
// read, or stalls in one request. Each time nothing on the terminal is lost or mixed, the user is
// told which file and what happened, the exit status and the log say it, the main module starts,
// and the next run with the share back finishes the work.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/share/simulated_share.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ShareOptions;
using testing_support::SimulatedShare;

// A module that only writes down that it was started.
const std::string kStandIn = "#!/bin/sh\necho \"$(basename \"$0\")\" >> \"$PWD/lancamentos.txt\"\n";

class ShareFailure : public ::testing::Test {
protected:
    ShareFailure() {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        Server("QOR7/QOR7.EXE", kStandIn + "# nova\n", true);
        Server("QOR7/A.EXE", std::string(3 << 20, 'A'));
        Server("QOR7/B.EXE", "B novo");
        server.write("QOR7/TABDEF/MODULOS.DAT", app_test::ModuleLine("QOR7.EXE", "Principal") + "\r\n" +
                                                    app_test::ModuleLine("A.EXE", "Estoque") + "\r\n" +
                                                    app_test::ModuleLine("B.EXE", "Vendas") + "\r\n");
        Terminal("QOR7.EXE", kStandIn, true);
        Terminal("A.EXE", "A velho");
        Terminal("B.EXE", "B velho");
        Terminal("pkVelho7.bpl", "pacote de outra versão");
        fs::copy_file(ATUALIZA_EXE, terminal / fs::path(ATUALIZA_EXE).filename());
    }
    void Server(const std::string& name, const std::string& content, bool executable = false) {
        const std::string path = server.write(name, content);
        if (executable) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(1));  // newer than the terminal's
    }
    void Terminal(const std::string& name, const std::string& content, bool executable = false) {
        const std::string path = (terminal / name).string();
        fs::create_directories(terminal);
        std::ofstream(path, std::ios::binary) << content;
        if (executable) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    }
    std::string Text(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // One run against the share; what it printed (boxes and status lines). The catalogue comes
    // through the share too, unless `tabdef` names another folder for it.
    std::string Run(const SimulatedShare& share, int expectedStatus, const std::string& tabdef = "") {
        if (tabdef.empty())
            std::ofstream(terminal / "qor.ini", std::ios::binary)
                << "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" << share.folder() << "QOR7/\r\n";
        else
            std::ofstream(terminal / "qor.ini", std::ios::binary)
                << "[QOR]\r\nCaminho_Base_Dados=" << share.folder() << "QOR7/\r\nCaminho_TabDef=" << tabdef << "\r\n";
        fs::remove(terminal / "lancamentos.txt");
        const std::string output = (dir.path() / "saida.txt").string();
        const auto result = testing_support::RunAndWait((terminal / fs::path(ATUALIZA_EXE).filename()).string(), {},
                                                        terminal.string(), 60, {output, true});
        EXPECT_EQ(result.exitStatus, expectedStatus);
        return Text(output);
    }
    std::string Log() const { return Text(terminal / "AtualizaTerminalQOR7.log"); }
    // The stand-in starts detached: wait a little for its record.
    std::string Launches() const {
        for (int i = 0; i < 150 && !fs::exists(terminal / "lancamentos.txt"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return Text(terminal / "lancamentos.txt");
    }
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(terminal))
            if (entry.path().filename().string().starts_with("~")) found.push_back(entry.path().filename().string());
        return found;
    }
    void ExpectOldFilesWhole() const {
        // Compared without printing: a module is megabytes.
        EXPECT_TRUE(Text(terminal / "A.EXE") == "A velho");
        EXPECT_TRUE(Text(terminal / "B.EXE") == "B velho");
        EXPECT_EQ(Temporaries(), std::vector<std::string>{});
    }
    // With the share back, one run brings everything up to date.
    void ExpectNextRunFinishes(SimulatedShare& share) {
        share.ComeBack();
        share.ClearFaults();
        Run(share, 0);
        for (const char* name : {"QOR7.EXE", "A.EXE", "B.EXE"})
            EXPECT_TRUE(Text(terminal / name) == Text(server.path() / "QOR7" / name)) << name;
        EXPECT_FALSE(fs::exists(terminal / "pkVelho7.bpl"));
    }

    testing_support::TempDir dir, server;
    fs::path terminal = dir.path() / "terminal";
};

TEST_F(ShareFailure, TheShareDropsDuringACopy) {
    SimulatedShare share(server.path().string());
    SKIP_WITHOUT_SHARE(share);
    share.GoDownAfter(1, "read:QOR7/A.EXE");
    const std::string out = Run(share, 2 | 16);
    ExpectOldFilesWhole();
    EXPECT_NE(out.find("Método 01 (Erro na abertura do arquivo de origem.)"), std::string::npos) << out;
    EXPECT_NE(out.find("Não foi possível ler a pasta de programas do servidor:"), std::string::npos) << out;
    EXPECT_NE(out.find("A atualização parou em A.EXE"), std::string::npos) << out;
    EXPECT_NE(Log().find("NÃO atualizado: A.EXE"), std::string::npos) << Log();
    EXPECT_NE(Log().find("código de saída 18"), std::string::npos) << Log();
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    ExpectNextRunFinishes(share);
}

// The catalogue comes from another share, which answers; the server's program folder does not.
TEST_F(ShareFailure, TheServersProgramFolderIsGoneWhileTheCatalogueIsRead) {
    SimulatedShare share(server.path().string());
    SKIP_WITHOUT_SHARE(share);
    fs::copy(server.path() / "QOR7/TABDEF", dir.path() / "TABDEF");
    share.GoDown();
    const std::string out = Run(share, 16, dir.folder());
    ExpectOldFilesWhole();
    EXPECT_EQ(Text(terminal / "pkVelho7.bpl"), "pacote de outra versão");  // nothing could be copied back
    EXPECT_NE(out.find("A atualização parou em QOR7.EXE"), std::string::npos) << out;
    EXPECT_NE(Log().find("não pôde ser lida"), std::string::npos) << Log();
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    share.ComeBack();
    Run(share, 0, dir.folder());
    EXPECT_TRUE(Text(terminal / "A.EXE") == Text(server.path() / "QOR7/A.EXE"));
}

TEST_F(ShareFailure, TheShareFailsWhileTheCatalogueIsRead) {
    SimulatedShare share(server.path().string());
    SKIP_WITHOUT_SHARE(share);
    share.GoDownAfter(0, "read:QOR7/TABDEF/MODULOS.DAT");
    const std::string out = Run(share, 1);
    ExpectOldFilesWhole();
    EXPECT_EQ(Text(terminal / "pkVelho7.bpl"), "pacote de outra versão");  // nothing deleted
    EXPECT_NE(out.find("lErroM1: Erro ao ler o catálogo de módulos"), std::string::npos) << out;
    EXPECT_NE(out.find("Ocorreram erros na Atualização do Módulo : ()"), std::string::npos) << out;
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    ExpectNextRunFinishes(share);
}

// Thirty seconds in the benchmark; here a few: nothing in the run waits with a limit of its own.
TEST_F(ShareFailure, OneRequestStallsAndTheRunWaitsItOut) {
    SimulatedShare share(server.path().string());
    SKIP_WITHOUT_SHARE(share);
    share.Stall(3, "read:QOR7/A.EXE");
    const auto start = std::chrono::steady_clock::now();
    Run(share, 0);
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
    for (const char* name : {"QOR7.EXE", "A.EXE", "B.EXE"})
        EXPECT_TRUE(Text(terminal / name) == Text(server.path() / "QOR7" / name)) << name;
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
}

}  // namespace

#endif
