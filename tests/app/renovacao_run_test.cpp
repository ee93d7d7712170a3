// The updater renewing itself, the real program with a real second build of another version:
// taken at the next start, a withdrawn release put back, given back by --voltar, refusals told
// once and never installed, and a kill at every file-changing call of the swap.
#if !defined(_WIN32) && defined(ATUALIZA_SEGUNDA_EXE)

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <thread>

#include "platform/platform.h"
#include "renovacao/marca.h"
#include "renovacao/renovacao.h"
#include "identidade/sha256.h"
#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/syscall_stops.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kStandIn = "#!/bin/sh\nexit 0\n";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// `body` with a mark of its own, right in form and sum: what a forger on the share can make.
std::string Forge(const std::string& body, const std::string& version) {
    return body + renovacao::TextoDaMarca({version, "forjada", body.size()},
                                          identidade::TextoDoResumo(identidade::Sha256Of(body)));
}

class Renewal : public ::testing::Test {
protected:
    Renewal() {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        testing_support::SetEnv("ATUALIZA_PROVA_SEGUNDOS", "5");
        fs::create_directories(Server() / "TABDEF");
        fs::create_directories(Server() / "ATUALIZADOR");
        fs::create_directories(Server() / "TERMINAIS");
        for (int lane = 0; lane < kLanes; ++lane) {
            fs::create_directories(Terminal(lane));
            fs::copy_file(ATUALIZA_EXE, Program(lane));
            std::ofstream(Terminal(lane) / "qor.ini") << "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor="
                                                      << Server().string() << "/\r\n";
        }
        std::ofstream(Server() / "QOR7.EXE") << kStandIn;
        fs::permissions(Server() / "QOR7.EXE", fs::perms::owner_exec, fs::perm_options::add);
        std::ofstream(Server() / "TABDEF/MODULOS.DAT") << app_test::ModuleLine("QOR7.EXE", "Sistema") << "\r\n";
    }

    static constexpr int kLanes = 8;
    fs::path Server() const { return dir / "rede/servidor/QOR7"; }
    fs::path Terminal(int lane = 0) const { return dir / ("estacao/terminal" + std::to_string(lane)); }
    std::string Program(int lane = 0) const { return (Terminal(lane) / renovacao::NomeDoPrograma()).string(); }
    std::string Previous(int lane = 0) const { return (Terminal(lane) / renovacao::NomeAnterior()).string(); }
    fs::path Offered() const { return Server() / "ATUALIZADOR" / renovacao::NomeDoPrograma(); }

    void Offer(const std::string& bytes, int ageSeconds = 0) const {
        fs::remove(Offered());
        std::ofstream(Offered(), std::ios::binary) << bytes;
        fs::permissions(Offered(), fs::perms::owner_exec, fs::perm_options::add);
        fs::last_write_time(Offered(), fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
    }
    // A run's status; `output` gets what its headless boxes wrote.
    int Run(const std::vector<std::string>& arguments = {}, std::string* output = nullptr, int lane = 0) {
        const std::string file = (outside / "saida.txt").string();
        const auto result = testing_support::RunAndWait(Program(lane), arguments, Terminal(lane).string(), 30, {file});
        if (output) *output = ReadAll(file);
        return result.exitStatus.value_or(-1);
    }
    // The first line a program answers to --version; empty when it does not answer.
    std::string Version(const std::string& program) {
        const std::string file = (outside / ("versao-" + std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id())))).string();
        const auto result = testing_support::RunAndWait(program, {"--version"}, outside.path().string(), 10, {file});
        if (result.exitStatus != 0) return "";
        const std::string text = ReadAll(file);
        return text.substr(0, text.find('\n'));
    }
    std::string Record() const {
        for (const auto& entry : fs::directory_iterator(Server() / "TERMINAIS"))
            if (entry.path().extension() == ".txt") return ReadAll(entry.path());
        return "";
    }
    std::string Log(int lane = 0) const { return ReadAll(Terminal(lane) / "AtualizaTerminalQOR7.log"); }
    // Nothing of a trial or a cut swap is left beside the program.
    void ExpectNoLeftovers(const std::string& when, int lane = 0) const {
        for (const auto& entry : fs::directory_iterator(Terminal(lane))) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.starts_with("~") || name == renovacao::NomeNovo() || name == renovacao::NomeSaindo())
                << name << " " << when;
        }
    }

    testing_support::TempDir dir;
    testing_support::TempDir outside;
    const std::string first = ReadAll(ATUALIZA_EXE);
    const std::string second = ReadAll(ATUALIZA_SEGUNDA_EXE);
    const std::string firstVersion = "AtualizaTerminalQOR7 versão " ATUALIZA_PROJECT_VERSION " (";
    const std::string secondVersion = "AtualizaTerminalQOR7 versão " ATUALIZA_SEGUNDA_VERSAO " (";
};

TEST_F(Renewal, ASecondBuildTakesOverAtTheNextStartAndAWithdrawnReleaseComesBack) {
    Offer(second);
    std::string output;
    EXPECT_EQ(Run({}, &output), 0) << Log();
    EXPECT_EQ(Version(Program()).rfind(secondVersion, 0), 0u) << Log();
    EXPECT_EQ(Version(Previous()).rfind(firstVersion, 0), 0u);
    EXPECT_NE(Record().find("renovacao=tomada: versão " ATUALIZA_SEGUNDA_VERSAO " "), std::string::npos) << Record();
    EXPECT_EQ(output.find("renova"), std::string::npos) << "no box for the cashier: " << output;
    ExpectNoLeftovers("after the renewal");

    // The new build runs now and finds itself on the share: nothing more happens.
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Record().find("renovacao="), std::string::npos) << Record();
    EXPECT_EQ(Version(Program()).rfind(secondVersion, 0), 0u);
    EXPECT_NE(Log().find("=== início: AtualizaTerminalQOR7 versão " ATUALIZA_SEGUNDA_VERSAO), std::string::npos);

    // Withdrawn: the earlier build put back reaches the terminal as an earlier module does.
    Offer(first, 3600);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Version(Program()).rfind(firstVersion, 0), 0u) << Log();
    EXPECT_EQ(Version(Previous()).rfind(secondVersion, 0), 0u);
    ExpectNoLeftovers("after the withdrawal");
}

TEST_F(Renewal, VoltarGivesThePreviousUpdaterBackAndTheReleaseStaysAwayUntilAnotherIsPut) {
    Offer(second);
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(Version(Program()).rfind(secondVersion, 0), 0u);
    std::string output;
    EXPECT_EQ(Run({"--voltar"}, &output), 0) << Log();
    EXPECT_EQ(Version(Program()).rfind(firstVersion, 0), 0u) << Log();
    EXPECT_NE(output.find("Atualizador: tomada: de volta à versão " ATUALIZA_PROJECT_VERSION), std::string::npos) << output;
    EXPECT_NE(Record().find("renovacao=tomada: de volta"), std::string::npos) << Record();

    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Version(Program()).rfind(firstVersion, 0), 0u) << "the release given back came again\n" << Log();
    EXPECT_EQ(Record().find("renovacao="), std::string::npos) << Record();

    Offer(second, 60);  // the administrator puts it (or a mended one) there again
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Version(Program()).rfind(secondVersion, 0), 0u) << Log();
}

TEST_F(Renewal, WhatIsNotAWholeHonestBuildOfOursIsRefusedOnceAndNeverInstalled) {
    const renovacao::LeituraDaMarca mark = renovacao::LeMarca(*platform::makeNativePlatform().files, ATUALIZA_SEGUNDA_EXE);
    ASSERT_TRUE(mark.marca);
    const std::string body = second.substr(0, static_cast<size_t>(mark.marca->tamanho));
    struct Candidate {
        std::string what, bytes, why;
    };
    const std::string noMark = "sem a marca de uma compilação do atualizador";
    const std::vector<Candidate> candidates = {
        {"truncated", second.substr(0, second.size() / 2), noMark},
        {"foreign program", ReadAll("/bin/true"), noMark},
        {"script that prints a version", "#!/bin/sh\necho '" + secondVersion + "x): simulação, nada foi alterado'\n",
         "não é um programa deste sistema"},
        {"forged mark on a program whose --simular fails", Forge(ReadAll("/bin/false"), "7.0"),
         "--simular terminou com o código 1"},
        {"forged mark on a program that never ends", Forge(ReadAll(ATUALIZA_NUNCA_TERMINA_EXE), "7.0"), "--simular não terminou em 5 s"},
        {"our second build lying about its version", Forge(body, "8.8"),
         "--simular não se apresentou como a versão que a marca promete"},
    };
    int age = 0;
    for (const auto& [what, bytes, why] : candidates) {
        SCOPED_TRACE(what);
        fs::remove(Terminal() / "AtualizaTerminalQOR7.log");
        Offer(bytes, age += 10);
        std::string output;
        EXPECT_EQ(Run({}, &output), 0) << Log();
        EXPECT_EQ(ReadAll(Program()), first);
        EXPECT_FALSE(fs::exists(Previous()));
        ExpectNoLeftovers(what);
        EXPECT_EQ(Count(Log(), "renovação do atualizador recusada: "), 1u) << Log();
        EXPECT_NE(Record().find("renovacao=recusada: "), std::string::npos) << Record();
        EXPECT_NE(Log().find(why), std::string::npos) << Log();
        EXPECT_EQ(output.find("recusada"), std::string::npos) << "no box for the cashier: " << output;
        // Told once: the next run leaves the same file alone.
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(Count(Log(), "renovação do atualizador"), 1u) << Log();
        EXPECT_EQ(Record().find("renovacao="), std::string::npos) << Record();
        EXPECT_EQ(Version(Program()).rfind(firstVersion, 0), 0u);
    }
}

TEST_F(Renewal, AKillAtAnyMomentOfTheSwapLeavesAWorkingUpdaterUnderTheProgramsName) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    Offer(second);
    // Every lane starts from the first build, its module already current.
    ASSERT_EQ(Run({}, nullptr, 0), 0);
    // Linked, never written while lanes run: a program file open for writing in this process
    // would be inherited by another lane's child, and that lane's start would fail (text busy).
    const fs::path pristine = outside / "primeira";
    fs::copy_file(ATUALIZA_EXE, pristine);
    auto reset = [&](int lane) {
        for (const auto& entry : fs::directory_iterator(Terminal(lane))) {
            const std::string name = entry.path().filename().string();
            if (name != "qor.ini" && name != "QOR7.EXE" && name != "AtualizaTerminalQOR7.acervo") fs::remove_all(entry.path());
        }
        fs::create_hard_link(pristine, Program(lane));
    };
    for (int lane = 0; lane < kLanes; ++lane) {
        if (lane > 0) {
            fs::copy_file(Terminal(0) / "QOR7.EXE", Terminal(lane) / "QOR7.EXE", fs::copy_options::overwrite_existing);
            fs::last_write_time(Terminal(lane) / "QOR7.EXE", fs::last_write_time(Terminal(0) / "QOR7.EXE"));
        }
        reset(lane);
    }
    const testing_support::TracedRun reference = testing_support::RunTraced(Program(), Terminal().string(), {}, nullptr);
    ASSERT_EQ(reference.exitStatus, 0);
    ASSERT_EQ(Version(Program()).rfind(secondVersion, 0), 0u);
    std::vector<testing_support::CallMoment> moments;
    for (size_t i = 0; i < reference.calls.size(); ++i) moments.insert(moments.end(), {{i, false}, {i, true}});
    std::cout << "(killing the renewal at " << moments.size() << " moments)\n";
    std::map<std::string, int> calls;
    for (const auto& call : reference.calls) ++calls[call.name];
    EXPECT_GE(calls["rename"] + calls["renameat"] + calls["renameat2"], 3) << "copy, memory and swap each end in a rename";
    EXPECT_GE(calls["link"] + calls["linkat"], 1) << "the running updater is kept by a second name";

    auto killEvery = [&](int lane) {
        for (size_t m = static_cast<size_t>(lane); m < moments.size() && !HasFailure(); m += kLanes) {
            reset(lane);
            testing_support::RunTraced(Program(lane), Terminal(lane).string(), {moments[m]},
                                       [](const testing_support::CallMoment&) { return true; });
            const std::string when = "after a kill " + std::string(moments[m].after ? "after " : "before ") +
                                     reference.calls[moments[m].index].name + " #" + std::to_string(moments[m].index);
            const std::string answer = Version(Program(lane));
            EXPECT_TRUE(answer.rfind(firstVersion, 0) == 0 || answer.rfind(secondVersion, 0) == 0)
                << "the program's name holds no working updater " << when << ": " << answer;
            // The next start finishes the work and tidies what the cut swap left.
            const auto next = testing_support::RunAndWait(Program(lane), {}, Terminal(lane).string(), 30, {(outside / ("s" + std::to_string(lane))).string()});
            EXPECT_EQ(next.exitStatus, 0) << when;
            if (answer.rfind(firstVersion, 0) == 0) {
                EXPECT_EQ(Version(Program(lane)).rfind(secondVersion, 0), 0u) << when;
            }
            EXPECT_EQ(Version(Previous(lane)).rfind(firstVersion, 0), 0u) << when;
            ExpectNoLeftovers(when, lane);
        }
    };
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) lanes.emplace_back(killEvery, lane);
    for (std::thread& lane : lanes) lane.join();
}

TEST_F(Renewal, AGiveBackKilledAnywhereLeavesAWorkingUpdaterAndTheNextVoltarFinishesIt) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    Offer(second);
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(Version(Program()).rfind(secondVersion, 0), 0u);
    // The terminal as the renewal left it; the programs linked, never written while lanes run.
    const fs::path renewed = outside / "renovado", firstCopy = outside / "primeira", secondCopy = outside / "segunda";
    fs::copy_file(ATUALIZA_EXE, firstCopy);
    fs::copy_file(ATUALIZA_SEGUNDA_EXE, secondCopy);
    const auto isProgram = [&](const fs::path& p) {
        return p.filename() == renovacao::NomeDoPrograma() || p.filename() == renovacao::NomeAnterior();
    };
    const auto copyTree = [&](const fs::path& from, const fs::path& to) {
        for (const auto& entry : fs::recursive_directory_iterator(from)) {
            const fs::path target = to / fs::relative(entry.path(), from);
            if (entry.is_directory()) fs::create_directories(target);
            else if (!isProgram(entry.path())) {
                fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
                fs::last_write_time(target, fs::last_write_time(entry.path()));
            }
        }
    };
    fs::create_directories(renewed);
    copyTree(Terminal(0), renewed);
    auto restore = [&](int lane) {
        for (const auto& entry : fs::directory_iterator(Terminal(lane))) fs::remove_all(entry.path());
        copyTree(renewed, Terminal(lane));
        fs::create_hard_link(secondCopy, Program(lane));
        fs::create_hard_link(firstCopy, Previous(lane));
    };
    restore(0);
    const std::vector<std::string> voltar = {"--voltar"};
    const testing_support::TracedRun reference =
        testing_support::RunTraced(Program(), Terminal().string(), {}, nullptr, 20, voltar);
    ASSERT_EQ(reference.exitStatus, 0);
    ASSERT_EQ(Version(Program()).rfind(firstVersion, 0), 0u);
    std::vector<testing_support::CallMoment> moments;
    for (size_t i = 0; i < reference.calls.size(); ++i) moments.insert(moments.end(), {{i, false}, {i, true}});
    std::cout << "(killing the give-back at " << moments.size() << " moments)\n";
    for (int lane = 1; lane < kLanes; ++lane) restore(lane);

    auto killEvery = [&](int lane) {
        const std::string quiet = (outside / ("v" + std::to_string(lane))).string();
        for (size_t m = static_cast<size_t>(lane); m < moments.size() && !HasFailure(); m += kLanes) {
            restore(lane);
            testing_support::RunTraced(Program(lane), Terminal(lane).string(), {moments[m]},
                                       [](const testing_support::CallMoment&) { return true; }, 20, voltar);
            const std::string when = "after a kill " + std::string(moments[m].after ? "after " : "before ") +
                                     reference.calls[moments[m].index].name + " #" + std::to_string(moments[m].index);
            const std::string answer = Version(Program(lane));
            EXPECT_TRUE(answer.rfind(firstVersion, 0) == 0 || answer.rfind(secondVersion, 0) == 0)
                << "the program's name holds no working updater " << when << ": " << answer;
            // A run in between keeps what is to be given back; the next step back finishes it, and
            // no later run takes the release given back again.
            EXPECT_EQ(testing_support::RunAndWait(Program(lane), {}, Terminal(lane).string(), 30, {quiet}).exitStatus, 0) << when;
            testing_support::RunAndWait(Program(lane), voltar, Terminal(lane).string(), 30, {quiet});
            EXPECT_EQ(Version(Program(lane)).rfind(firstVersion, 0), 0u) << when;
            EXPECT_EQ(testing_support::RunAndWait(Program(lane), {}, Terminal(lane).string(), 30, {quiet}).exitStatus, 0) << when;
            EXPECT_EQ(Version(Program(lane)).rfind(firstVersion, 0), 0u) << "taken again " << when;
            ExpectNoLeftovers(when, lane);
        }
    };
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) lanes.emplace_back(killEvery, lane);
    for (std::thread& lane : lanes) lane.join();
}

}  // namespace

#endif
