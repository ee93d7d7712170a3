// --simular against the real program over random installations: nothing on the disk or among the
// processes changes, and a real run afterwards does exactly what the simulation said it would.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/running_program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kStandIn = "#!/bin/sh\necho \"$(basename \"$0\")$*\" >> \"$PWD/lancamentos.txt\"\n";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Everything under a folder: each entry's kind, size, exact time, permissions and bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        lstat(e.path().c_str(), &st);
        std::ostringstream what;
        what << st.st_mode << ' ' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
        if (S_ISREG(st.st_mode)) what << ' ' << ReadAll(e.path());
        entries[fs::relative(e.path(), root).string()] = what.str();
    }
    return entries;
}

// Every capture of `pattern`'s first group, each as the file name part.
std::set<std::string> Names(const std::string& text, const std::string& pattern) {
    std::set<std::string> names;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        names.insert(fs::path((*it)[1].str()).filename().string());
    return names;
}

class Simular : public ::testing::Test {
protected:
    Simular() { testing_support::SetEnv("ATUALIZA_UI", "headless"); }

    fs::path Server() const { return dir / "rede/servidor/QOR7"; }
    fs::path Terminal() const { return dir / "estacao/terminal"; }
    std::string Program() const { return (Terminal() / fs::path(ATUALIZA_EXE).filename()).string(); }

    void File(const fs::path& path, const std::string& content, int ageSeconds, bool executable = false) const {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
        if (executable) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
    }

    // A random shop: files on either side, older, newer or equal, listed or not, masks matched.
    void Install(std::mt19937& random) {
        fs::create_directories(Server() / "TABDEF");
        fs::create_directories(Terminal());
        fs::copy_file(ATUALIZA_EXE, Program());
        std::ofstream(Terminal() / "qor.ini") << "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" << Server().string()
                                              << "/\r\n";
        const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
        std::string catalogue;
        for (const std::string name : {"QOR7.EXE", "HALDENMOR7.EXE", "GRAVIT7.EXE", "pkBase7.bpl", "pkExtra.bpl",
                                       "midas.dll", "outra.dll", "dados.txt", "AtualizaTerminalQOR7.exe"}) {
            const bool module = name.find(".EXE") != std::string::npos || name.find(".exe") != std::string::npos;
            const int serverAge = 100 + static_cast<int>(random() % 4) * 1000;
            if (chance(80)) File(Server() / name, module ? kStandIn : "servidor " + name, serverAge, module);
            if (chance(60)) File(Terminal() / name, module ? kStandIn : "terminal " + name, serverAge + (static_cast<int>(random() % 3) - 1) * 1000, module);
            if (chance(70)) catalogue += (module ? app_test::ModuleLine(name, "Módulo " + name) : name) + "\r\n";
        }
        if (chance(50)) std::ofstream(Terminal() / "ATUALIZA.DAT") << "";
        if (chance(40)) {
            File(Terminal() / "pkVelho7.bpl", "preso", 5000);
            fs::permissions(Terminal() / "pkVelho7.bpl", fs::perms::owner_write, fs::perm_options::remove);
        }
        if (chance(85)) File(Server() / "TABDEF/MODULOS.DAT", catalogue, 50);
    }

    testing_support::TempDir dir;
    testing_support::TempDir outside;  // what the test itself writes
};

TEST_F(Simular, ChangesNothingAndARealRunThenDoesWhatItSaid) {
    const unsigned seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        std::mt19937 random(seed + round);
        fs::remove_all(dir / "rede");
        fs::remove_all(dir / "estacao");
        Install(random);
        std::unique_ptr<testing_support::RunningProgram> module;
        if (round % 2 == 0) module = std::make_unique<testing_support::RunningProgram>((Terminal() / "LUNDAMI7.EXE").string());
        const std::vector<std::string> arguments = round % 3 == 0 ? std::vector<std::string>{"F", "--simular"}
                                                                  : std::vector<std::string>{"--simular"};
        const std::map<std::string, std::string> before = Snapshot(dir.path());
        const std::string output = (outside / "saida.txt").string();
        const auto simulated = testing_support::RunAndWait(Program(), arguments, Terminal().string(), 15, {output});
        const std::string said = ReadAll(output);
        ASSERT_TRUE(simulated.exitStatus.has_value()) << said;
        EXPECT_EQ(Snapshot(dir.path()), before) << said;
        if (module) {
            EXPECT_TRUE(module->running());
        }
        EXPECT_EQ(said.rfind("AtualizaTerminalQOR7 versão " ATUALIZA_PROJECT_VERSION " (compilação ", 0), 0u) << said;

        // The real run on the same installation: its status, copies, deletions and launches.
        const std::vector<std::string> runArguments(arguments.begin(), arguments.end() - 1);
        const auto real = testing_support::RunAndWait(Program(), runArguments, Terminal().string(), 30, {output});
        const std::string log = ReadAll(Terminal() / "AtualizaTerminalQOR7.log");
        EXPECT_EQ(real.exitStatus, simulated.exitStatus) << said << "\n--- log:\n" << log;
        EXPECT_EQ(Names(log, "copiado: ([^,]+),"), Names(said, "copiaria: (\\S+) ->")) << said << log;
        EXPECT_EQ(Names(log, "\\d excluído: ([^\r\n]+)"), Names(said, "apagaria: ([^\n]+)")) << said << log;
        EXPECT_EQ(Names(log, "\\d iniciado: (\\S+) "), Names(said, "iniciaria: (\\S+)\n")) << said << log;
        if (module) {
            EXPECT_EQ(Names(log, "módulo encerrado: (\\S+)"), Names(said, "encerraria: (\\S+)")) << said << log;
        }
    }
}

}  // namespace

#endif
