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
#include <functional>
#include <regex>
#include <thread>

#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/running_program.h"
#include "support/nao_regulares.h"
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
    std::string Run(const std::vector<std::string>& arguments, int expectedStatus = 0) {
        const std::string output = (dir / "saida.txt").string();
        const auto result = testing_support::RunAndWait(Program(), arguments, (dir / "estacao/terminal").string(), 15, {output});
        EXPECT_TRUE(result.exitStatus.has_value()) << "did not end by itself";
        EXPECT_EQ(result.exitStatus.value_or(-1), expectedStatus);
        std::ifstream in(output, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Size(const std::string& module) const {
        return std::to_string(fs::file_size(dir / "rede/servidor/QOR7" / module));
    }
    std::string Log() const {
        const fs::path log = dir / "estacao/terminal/AtualizaTerminalQOR7.log";
        return fs::exists(log) ? dir.read("estacao/terminal/AtualizaTerminalQOR7.log") : "";
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

const std::string kReport = "--- information\nArquivos Atualizados :\n\n"
                            "  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\n"
                            "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1 Kb\n\n--- answer: OK\n";

void ExpectLines(const std::string& log, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) EXPECT_NE(log.find(line), std::string::npos) << line << "\nin:\n" << log;
}

TEST_F(RealRun, HelpAndVersionTouchNoProcessNoFileAndExitZero) {
    testing_support::RunningProgram module((dir / "estacao/terminal/LUNDAMI7.EXE").string());
    ASSERT_TRUE(module.started());
    dir.write("estacao/terminal/pkAntigo7.bpl", "velho");
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"F", "--help"}, {"--version"}}) {
        const std::string out = Run(arguments);
        EXPECT_NE(out.find(arguments.back() == "--version"
                               ? "AtualizaTerminalQOR7 versão " ATUALIZA_PROJECT_VERSION " (compilação "
                               : "Uso: AtualizaTerminalQOR7 [F] [design]"),
                  std::string::npos)
            << out;
    }
    EXPECT_TRUE(module.running());
    EXPECT_TRUE(fs::exists(dir / "estacao/terminal/pkAntigo7.bpl"));
    EXPECT_TRUE(fs::exists(dir / "estacao/terminal/ATUALIZA.DAT"));
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/QOR7.EXE"));
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(Launches(), "");
}

TEST_F(RealRun, ANormalRunExitsZeroAndItsLogTellsWhatItDid) {
    testing_support::RunningProgram module((dir / "estacao/terminal/LUNDAMI7.EXE").string());
    ASSERT_TRUE(module.started());
    dir.write("estacao/terminal/midas.dll", "velho");
    EXPECT_EQ(Run({"F"}), kReport);
    EXPECT_FALSE(module.running());
    const std::string terminal = (dir / "estacao/terminal").string() + "/";
    ExpectLines(Log(), {"=== início: AtualizaTerminalQOR7 versão " ATUALIZA_PROJECT_VERSION " (compilação ",
                        "argumentos: 1 [F]\n",
                        "módulo encerrado: LUNDAMI7.EXE (pid " + std::to_string(module.pid()) + ")\n",
                        "fechamento dos módulos: ", "configuração: modo servidor, pasta de programas do servidor " +
                                                        (dir / "rede/servidor/QOR7").string() + "/\n",
                        "excluído: " + terminal + "midas.dll\n", "copiado: QOR7.EXE, " + Size("QOR7.EXE") + " bytes, ",
                        "copiado: HALDENMOR7.EXE, " + Size("HALDENMOR7.EXE") + " bytes, ", "mensagem: Arquivos Atualizados :\n",
                        "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1 Kb\n", "iniciado: HALDENMOR7.exe (resultado ",
                        "=== fim: caminho normal, código de saída 0\n"});
}

// The terminal's HALDENMOR7.EXE cannot be replaced (a folder of that name): the copy and the
// fallback copy fail, the module is named as not updated, the exit status says so.
TEST_F(RealRun, AModuleThatStaysOldIsNamedInTheReportAndGivesStatusTwo) {
    fs::create_directory(dir / "estacao/terminal/HALDENMOR7.EXE");
    EXPECT_EQ(Run({}, 2), "--- warning\nArquivos Atualizados :\n\n"
                          "  Arquivo: QOR7.EXE            -  Tamanho: 1 Kb\n\n"
                          "Arquivos NÃO Atualizados (avise o suporte) :\n\n"
                          "  Arquivo: HALDENMOR7.EXE      -  Tamanho: 1 Kb\n\n--- answer: OK\n");
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    ExpectLines(Log(), {"NÃO atualizado: HALDENMOR7.EXE, " + Size("HALDENMOR7.EXE") + " bytes, ", "\n                    Método 01 (",
                        "=== fim: caminho normal, código de saída 2\n"});
}

TEST_F(RealRun, AMainModuleThatCannotBeStartedIsToldAndGivesStatusFour) {
    fs::remove(dir / "rede/servidor/QOR7/QOR7.EXE");
    const std::string out = Run({}, 4);
    EXPECT_EQ(out.substr(out.find("--- error")), "--- error\nHouve Algum Problema Com o Programa QOR7.exe  !!!\n\n"
                                                 "               Favor Verificar !!!               \n--- answer: OK\n");
    ExpectLines(Log(), {"NÃO iniciado: QOR7.exe (resultado 2)\n", "mensagem: Houve Algum Problema",
                        "=== fim: caminho normal, código de saída 4\n"});
}

// Exit statuses add up: a module that stays old (2) and a main module that cannot be started (4)
// give 6; the failure path (1) with a main module that cannot be started (4) gives 5. The failure
// path after a file stayed old (3) cannot be reached by this program: nothing after the copies raises.
TEST_F(RealRun, ExitStatusesAddUp) {
    fs::create_directory(dir / "estacao/terminal/HALDENMOR7.EXE");
    fs::remove(dir / "rede/servidor/QOR7/QOR7.EXE");
    const std::string out = Run({}, 6);
    EXPECT_NE(out.find("Arquivos NÃO Atualizados (avise o suporte) :\n\n  Arquivo: HALDENMOR7.EXE"), std::string::npos) << out;
    EXPECT_NE(out.find("--- error\nHouve Algum Problema Com o Programa QOR7.exe  !!!"), std::string::npos) << out;
    ExpectLines(Log(), {"=== fim: caminho normal, código de saída 6\n"});

    fs::remove(dir / "estacao/terminal/qor.ini");
    Run({}, 5);
    ExpectLines(Log(), {"NÃO iniciado: QOR7.exe (resultado 2)\n", "=== fim: caminho de falha, código de saída 5\n"});
}

// A pipe, a socket or a device on the share under a catalogue's name (or a package's) is a copy
// that fails, never a run that waits for ever; the other modules are copied and started.
TEST_F(RealRun, SpecialFilesOnTheServerFailTheirCopyAndNothingWaits) {
    testing_support::MakeSpecialFiles(dir.folder() + "rede/servidor/QOR7/", {"CANO.EXE", "TOMADA.BPL", "APARELHO.EXE"});
    dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT", ModuleLine("QOR7.EXE", "Sistema Principal") + "\r\n" +
                                                           ModuleLine("CANO.EXE", "Cano") + "\r\n" +
                                                           ModuleLine("APARELHO.EXE", "Aparelho") + "\r\n");
    const std::string out = Run({}, 2);
    EXPECT_NE(out.find("Arquivos NÃO Atualizados (avise o suporte) :\n\n  Arquivo: CANO.EXE            -  Tamanho: 0 Kb\n"
                       "  Arquivo: APARELHO.EXE        -  Tamanho: 0 Kb\n"), std::string::npos) << out;
    for (const char* name : {"CANO.EXE", "TOMADA.BPL", "APARELHO.EXE"})
        EXPECT_FALSE(fs::exists(dir / "estacao/terminal" / name)) << name;
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
}

// A log that cannot be written (read-only, on a full disk, a folder in its place) changes
// nothing of what the run does.
TEST_F(RealRun, ALogThatCannotBeWrittenChangesNothing) {
    const fs::path log = dir / "estacao/terminal/AtualizaTerminalQOR7.log";
    const std::vector<std::function<void()>> spoil = {
        [&] { fs::permissions(dir.write("estacao/terminal/AtualizaTerminalQOR7.log", "antigo\n"), fs::perms::owner_read); },
        [&] { fs::create_symlink("/dev/full", log); },
        [&] { fs::create_directory(log); },
    };
    for (size_t i = 0; i < spoil.size(); ++i) {
        spoil[i]();
        EXPECT_EQ(Run({}), kReport) << i;
        EXPECT_EQ(Launches(), "QOR7.EXE\n") << i;
        for (const char* copied : {"QOR7.EXE", "HALDENMOR7.EXE", "lancamentos.txt"}) fs::remove(dir / "estacao/terminal" / copied);
        std::error_code none;  // a link has no permissions of its own
        fs::permissions(log, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, none);
        fs::remove_all(log);
    }
}

// 256 MiB copied in 8 KiB blocks: the status lines stay few and still name the file, and the
// box on standard output is exactly the report.
TEST_F(RealRun, ALargeModuleGivesFewStatusLinesAndTheSameBox) {
    const std::string big = dir.write("rede/servidor/QOR7/GRANDE.EXE", "");
    fs::resize_file(big, 256LL << 20);
    dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT", ModuleLine("GRANDE.EXE", "Módulo Grande") + "\r\n");
    fs::copy_file(dir / "rede/servidor/QOR7/QOR7.EXE", dir / "estacao/terminal/QOR7.EXE");
    const std::string output = (dir / "saida.txt").string();
    const auto result = testing_support::RunAndWait(Program(), {}, (dir / "estacao/terminal").string(), 120,
                                                    {output, /*errorsToo=*/true});
    EXPECT_EQ(result.exitStatus.value_or(-1), 0);
    std::ifstream in(output, std::ios::binary);
    std::string line, boxes, status;
    size_t statusLines = 0;
    while (std::getline(in, line)) {
        const bool isStatus = line.rfind("FrmAtuModulo.", 0) == 0;
        (isStatus ? status : boxes) += line + "\n";
        statusLines += isStatus;
    }
    EXPECT_LE(statusLines, 100u) << status;
    EXPECT_NE(status.find("FrmAtuModulo.lbArquivo2: " + (dir / "rede/servidor/QOR7/GRANDE.EXE").string() + "\n"),
              std::string::npos) << status;
    // The last count, with whatever thousands separator the user's locale has.
    EXPECT_TRUE(std::regex_search(status, std::regex("LabBytesCopiados: 268.?435.?456 bytes processados\n"))) << status;
    EXPECT_TRUE(std::regex_match(boxes, std::regex("--- information\nArquivos Atualizados :\n\n"
                                                   "  Arquivo: GRANDE.EXE          -  Tamanho: 262.?144 Kb\n\n"
                                                   "--- answer: OK\n")))
        << boxes;
    fs::remove(dir / "estacao/terminal/GRANDE.EXE");
}

TEST_F(RealRun, WithoutSettingsTheFailureMessageHasEmptyParenthesesAndTheMainModuleStarts) {
    fs::remove(dir / "estacao/terminal/qor.ini");
    fs::copy_file(dir / "rede/servidor/QOR7/QOR7.EXE", dir / "estacao/terminal/QOR7.EXE");
    const std::string out = Run({"F"}, 1);
    // No settings: the catalogue's folder is nowhere to be reached, an error with its icon.
    EXPECT_EQ(out, "--- error\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
                   "--- answer: OK\n");
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/ATUALIZA.DAT"));
    ExpectLines(Log(), {"mensagem: Ocorreram erros na Atualização do Módulo : ()\n", "iniciado: QOR7.exe",
                        "=== fim: caminho de falha, código de saída 1\n"});
}

// The module a run starts outlives it, but must not keep the program folder's lock, or the next
// run (the icon clicked again later) would take itself for a second run and do nothing.
TEST_F(RealRun, TheModuleARunStartedDoesNotHoldTheFolderForTheNextRun) {
    const std::string path = dir.write("rede/servidor/QOR7/QOR7.EXE", kStandIn + "sleep 3\n");
    fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    Run({});
    EXPECT_EQ(Launches(), "QOR7.EXE\n");
    Run({}, 0);  // while that module still runs
    EXPECT_EQ(Launches(2), "QOR7.EXE\nQOR7.EXE\n");
    EXPECT_EQ(Log().find("outra execução"), std::string::npos);
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

    const std::string out = Run({"F"}, 1);
    int status = 0;
    const bool ended = waitpid(server, &status, WNOHANG) == server;
    if (!ended) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
    }
    EXPECT_TRUE(ended && WIFSIGNALED(status)) << "the running server program was not ended";
    // No settings: the catalogue's folder is nowhere to be reached, an error with its icon.
    EXPECT_EQ(out, "--- error\nOcorreram erros na Atualização do Módulo : ()\nVerifique se o mesmo não está aberto.\n"
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
