// The real program killed (SIGKILL, as a power cut ends it) at every moment of its copies where a
// file changes: each step of data written, the time, the mode, the flush, the link and the rename
// that keep the old version, the rename. After each kill every file on the terminal is its old or
// its new version, whole and with that version's time, and the kept versions are old ones; one
// clean run then brings everything up to date and leaves no temporary behind. A step back killed
// anywhere leaves every file old or new too, and the next one completes it. And a server file
// rewritten in place, cut or grown while it is copied is never installed as a mixture.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <filesystem>
#include <map>
#include <thread>

#include "acervo/arquivo.h"
#include "platform/dos_time.h"
#include "platform/platform.h"
#include "retorno/diario.h"
#include "retorno/nomes.h"
#include "run_fixture.h"
#include "support/child_process.h"
#include "support/syscall_stops.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::CallMoment;

struct Version {
    std::string content;
    platform::LocalDateTime time;
};

struct Module {
    std::string name;
    std::optional<Version> old;  // none: the terminal lacks it
    Version current;
};

std::string Pattern(size_t size, char seed) {
    std::string text(size, seed);
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(seed + i % 7);
    return text;
}

class KillAnywhere : public ::testing::Test {
protected:
    KillAnywhere() {
        fs::create_directories(dir / "rede/servidor/QOR7/TABDEF");
        for (int lane = 0; lane < kLanes; ++lane) {
            fs::create_directories(dir / TerminalName(lane));
            fs::copy_file(ATUALIZA_EXE, Program(lane));
            dir.write(TerminalName(lane) + "/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" +
                                                           dir.folder() + "rede/servidor/QOR7/\r\n");
        }
        dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT", app_test::ModuleLine("ESTOQUE.EXE", "Estoque") + "\r\n" +
                                                               app_test::ModuleLine("VENDAS.EXE", "Vendas") + "\r\n");
        for (const Module& module : modules) Publish(module.name, module.current);
        // Given read-only on the server: the copy ends with the attributes step too.
        files->setAttributes(ServerPath("LIBREL.DLL"), platform::attr::ReadOnly);
    }

    // Terminals that are killed side by side: most of a run is the wait for its first timer tick.
    static constexpr int kLanes = 8;
    // A whole run here copies everything and then finds no QOR7.exe to start: exit status 4.
    static constexpr int kWholeRun = 4;
    static std::string TerminalName(int lane) { return "estacao/terminal" + std::to_string(lane); }
    std::string Program(int lane = 0) const {
        return (dir / TerminalName(lane) / fs::path(ATUALIZA_EXE).filename()).string();
    }
    std::string Terminal(int lane = 0) const { return (dir / TerminalName(lane)).string(); }
    std::string Quiet() const { return (dir / "saida.txt").string(); }  // the program's report box
    std::string ServerPath(const std::string& name) const { return dir.folder() + "rede/servidor/QOR7/" + name; }
    std::string TerminalPath(const std::string& name, int lane = 0) const {
        return dir.folder() + TerminalName(lane) + "/" + name;
    }
    std::string TerminalText(const std::string& name, int lane = 0) const {
        return dir.read(TerminalName(lane) + "/" + name);
    }

    void Put(const std::string& path, const Version& version) const {
        if (fs::exists(path)) fs::remove(path);
        dir.write(fs::relative(path, dir.path()).string(), version.content);
        std::unique_ptr<platform::File> file = files->openRead(path);
        ASSERT_TRUE(file && file->setLastWriteDos(*platform::packDosDateTime(version.time))) << path;
    }
    void Publish(const std::string& name, const Version& version) const { Put(ServerPath(name), version); }

    // The terminal as it was before any update; temporaries that earlier kills left stay.
    // Every run starts from the same files, so that the calls a reference run made are the calls
    // each later run makes (kept versions and their folders included).
    void ResetTerminal(int lane = 0) const {
        fs::remove(TerminalPath(std::string(acervo::kNomeArquivo), lane));
        fs::remove_all(Kept(lane));
        for (const Module& module : modules) {
            if (module.old)
                Put(TerminalPath(module.name, lane), *module.old);
            else if (fs::exists(TerminalPath(module.name, lane)))
                fs::remove(TerminalPath(module.name, lane));
        }
    }

    // Every module is its old version or its new one, whole, with that version's time.
    void ExpectOldOrNew(const std::string& when, int lane = 0) const {
        for (const Module& module : modules) {
            const std::string path = TerminalPath(module.name, lane);
            if (!fs::exists(path)) {
                EXPECT_FALSE(module.old) << module.name << " vanished " << when;
                continue;
            }
            const std::string content = TerminalText(module.name, lane);
            const std::optional<uint32_t> time = files->lastWriteDos(path);
            const bool isNew = content == module.current.content && time == platform::packDosDateTime(module.current.time);
            const bool isOld = module.old && content == module.old->content && time == platform::packDosDateTime(module.old->time);
            EXPECT_TRUE(isNew || isOld) << module.name << " is a mixture or carries another version's time " << when;
        }
        ExpectRecordTrue(when, lane);
    }
    // The record never claims a version the terminal does not hold: an entry that still matches
    // the terminal's file names the server file as it is, and the file holds that file's bytes,
    // or the old version when a step back took the server's one back.
    void ExpectRecordTrue(const std::string& when, int lane) const {
        for (const acervo::Entrada& entry : acervo::Le(*files, dir.folder() + TerminalName(lane) + "/").Entradas()) {
            const std::string path = TerminalPath(entry.nome, lane);
            if (files->stampOf(path) != entry.local) continue;  // no longer speaks for the file
            EXPECT_EQ(files->stampOf(ServerPath(entry.nome)), entry.servidor) << entry.nome << " " << when;
            const std::string held = entry.estado == acervo::Estado::Retido ? Named(entry.nome)->old->content
                                                                            : dir.read("rede/servidor/QOR7/" + entry.nome);
            EXPECT_EQ(TerminalText(entry.nome, lane), held) << entry.nome << " " << when;
        }
    }
    const Module* Named(const std::string& name) const {
        for (const Module& module : modules)
            if (module.name == name) return &module;
        return nullptr;
    }
    fs::path Kept(int lane) const { return dir / TerminalName(lane) / std::string(retorno::kPastaAnteriores); }
    // Whatever the kept folder holds, kept or pending, is a module's old version, whole.
    void ExpectKeptOld(const std::string& when, int lane) const {
        if (!fs::exists(Kept(lane))) return;
        for (const auto& entry : fs::recursive_directory_iterator(Kept(lane))) {
            if (!entry.is_regular_file() || entry.path() == Kept(lane) / std::string(retorno::kDiario)) continue;
            const Module* module = Named(entry.path().filename().string());
            ASSERT_TRUE(module && module->old) << entry.path() << " kept " << when;
            EXPECT_EQ(dir.read(fs::relative(entry.path(), dir.path()).string()), module->old->content) << when;
            EXPECT_EQ(files->lastWriteDos(entry.path().string()), platform::packDosDateTime(module->old->time)) << when;
        }
    }
    std::vector<std::string> Temporaries(int lane = 0) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir / TerminalName(lane)))
            if (entry.path().filename().string().starts_with("~")) found.push_back(entry.path().filename().string());
        return found;
    }
    void ExpectCleanRunBringsEverythingNew(int lane) {
        const auto result = testing_support::RunAndWait(Program(lane), {}, Terminal(lane), 20, {Quiet()});
        EXPECT_EQ(result.exitStatus, kWholeRun);
        for (const Module& module : modules) {
            EXPECT_EQ(TerminalText(module.name, lane), module.current.content) << module.name;
            EXPECT_EQ(files->lastWriteDos(TerminalPath(module.name, lane)), platform::packDosDateTime(module.current.time));
        }
        EXPECT_EQ(Temporaries(lane), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(Kept(lane) / std::string(retorno::kDiario))) << "the record written, its journal goes";
        ExpectRecordTrue("after the clean run", lane);
    }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
    const std::vector<Module> modules = {
        // Larger than a few of the copy's steps, so that its data moves in several calls.
        {"ESTOQUE.EXE", Version{Pattern(30000, 'a'), {2023, 1, 5, 8, 0, 0}}, {Pattern(900000, 'A'), {2024, 5, 1, 10, 0, 2}}},
        {"VENDAS.EXE", Version{Pattern(9000, 'b'), {2023, 1, 5, 8, 0, 0}}, {Pattern(8192, 'B'), {2024, 5, 1, 10, 0, 4}}},
        {"PKREL.BPL", std::nullopt, {Pattern(20000, 'C'), {2024, 5, 1, 10, 0, 6}}},
        {"LIBREL.DLL", Version{"velha", {2023, 1, 5, 8, 0, 0}}, {Pattern(100, 'D'), {2024, 5, 1, 10, 0, 8}}},
    };
};

TEST_F(KillAnywhere, EveryFileIsOldOrNewAfterEachKillAndOneCleanRunFinishesTheWork) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    ResetTerminal();
    const testing_support::TracedRun reference = testing_support::RunTraced(Program(), Terminal(), {}, nullptr);
    ASSERT_EQ(reference.exitStatus, kWholeRun);
    ExpectOldOrNew("after a whole run");

    // Every counted call, before it and after it: blocks, times, modes, flushes, renames.
    std::vector<CallMoment> moments;
    for (size_t i = 0; i < reference.calls.size(); ++i) moments.insert(moments.end(), {{i, false}, {i, true}});
    ASSERT_GE(moments.size(), 50u);
    std::cout << "(killing the program at " << moments.size() << " moments)\n";
    std::map<std::string, int> ends;
    for (const auto& call : reference.calls) ++ends[call.name];
    EXPECT_GE(ends["renameat2"] + ends["rename"], 4 + 3) << "every file ends with its rename, and three are kept";
    EXPECT_EQ(ends["link"] + ends["linkat"], 3) << "the three files the terminal had are kept";

    // Each lane traces its own program from its own thread (a tracer is a thread).
    auto killEvery = [&](int lane) {
        for (size_t m = static_cast<size_t>(lane); m < moments.size() && !HasFailure(); m += kLanes) {
            const CallMoment& moment = moments[m];
            ResetTerminal(lane);
            testing_support::RunTraced(Program(lane), Terminal(lane), {moment}, [](const CallMoment&) { return true; });
            const std::string when = "after a kill " + std::string(moment.after ? "after " : "before ") +
                                     reference.calls[moment.index].name + " #" + std::to_string(moment.index);
            ExpectOldOrNew(when, lane);
            ExpectKeptOld(when, lane);
        }
    };
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) lanes.emplace_back(killEvery, lane);
    for (std::thread& lane : lanes) lane.join();
    for (int lane = 0; lane < kLanes; ++lane) ExpectCleanRunBringsEverythingNew(lane);
}

// Everything of a lane but the program, copied with its exact times (the record compares them).
void CopyTree(const fs::path& from, const fs::path& to, const fs::path& skip) {
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(entry.path(), from);
        if (entry.path() == skip) continue;
        if (entry.is_directory()) {
            fs::create_directories(target);
            continue;
        }
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
        fs::last_write_time(target, fs::last_write_time(entry.path()));
    }
}

TEST_F(KillAnywhere, AStepBackKilledAnywhereLeavesEveryFileOldOrNewAndTheNextOneCompletesIt) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    // Every step back starts from the terminal one whole update left.
    ResetTerminal();
    ASSERT_EQ(testing_support::RunAndWait(Program(), {}, Terminal(), 20, {Quiet()}).exitStatus, kWholeRun);
    const fs::path updated = dir / "atualizado";
    CopyTree(Terminal(), updated, Program());
    auto restore = [&](int lane) {
        for (const auto& entry : fs::directory_iterator(Terminal(lane)))
            if (entry.path() != Program(lane)) fs::remove_all(entry.path());
        CopyTree(updated, Terminal(lane), {});
    };
    const std::vector<std::string> voltar = {"--voltar"};
    const testing_support::TracedRun reference = testing_support::RunTraced(Program(), Terminal(), {}, nullptr, 20, voltar);
    ASSERT_EQ(reference.exitStatus, kWholeRun);  // restored; no QOR7.exe to start
    auto expectTakenBack = [&](const std::string& when, int lane) {
        for (const Module& module : modules) {
            const Version& held = module.old ? *module.old : module.current;
            EXPECT_EQ(TerminalText(module.name, lane), held.content) << module.name << " " << when;
            EXPECT_EQ(files->lastWriteDos(TerminalPath(module.name, lane)), platform::packDosDateTime(held.time)) << when;
        }
        EXPECT_FALSE(fs::exists(Kept(lane) / "pendentes") && !fs::is_empty(Kept(lane) / "pendentes")) << when;
        ExpectRecordTrue(when, lane);
    };
    expectTakenBack("after a whole step back", 0);

    std::vector<CallMoment> moments;
    for (size_t i = 0; i < reference.calls.size(); ++i) moments.insert(moments.end(), {{i, false}, {i, true}});
    std::cout << "(killing the step back at " << moments.size() << " moments)\n";
    auto killEvery = [&](int lane) {
        for (size_t m = static_cast<size_t>(lane); m < moments.size() && !HasFailure(); m += kLanes) {
            const CallMoment& moment = moments[m];
            restore(lane);
            testing_support::RunTraced(Program(lane), Terminal(lane), {moment}, [](const CallMoment&) { return true; }, 20,
                                       voltar);
            const std::string when = "after a kill " + std::string(moment.after ? "after " : "before ") +
                                     reference.calls[moment.index].name + " #" + std::to_string(moment.index);
            ExpectOldOrNew(when, lane);
            // The next step back completes the work, or finds it was done.
            const auto again = testing_support::RunAndWait(Program(lane), voltar, Terminal(lane), 20, {Quiet()});
            EXPECT_TRUE(again.exitStatus == kWholeRun || again.exitStatus == (kWholeRun | 32)) << when;
            expectTakenBack(when + ", then a whole step back", lane);
        }
    };
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) lanes.emplace_back(killEvery, lane);
    for (std::thread& lane : lanes) lane.join();
}

// Two updates of different files, the second one killed anywhere or unable to write its record
// (read-only), then a step back: it gives back exactly what that second run replaced, or, when it
// replaced nothing, what the first one replaced; never anything else.
TEST_F(KillAnywhere, AStepBackAfterAKilledRunTakesBackWhatThatRunReplacedAndNothingElse) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    // The first run brings VENDAS.EXE alone: the server holds the terminal's version of the rest.
    for (const Module& module : modules)
        if (module.name != "VENDAS.EXE" && module.old) Publish(module.name, *module.old);
        else if (module.name != "VENDAS.EXE") fs::remove(ServerPath(module.name));
    ResetTerminal();
    ASSERT_EQ(testing_support::RunAndWait(Program(), {}, Terminal(), 20, {Quiet()}).exitStatus, kWholeRun);
    ASSERT_EQ(TerminalText("VENDAS.EXE"), Named("VENDAS.EXE")->current.content);
    const fs::path first = dir / "primeira";
    CopyTree(Terminal(), first, Program());
    for (const Module& module : modules) Publish(module.name, module.current);
    const std::string record = std::string(acervo::kNomeArquivo);
    auto restore = [&](int lane, bool readOnlyRecord) {
        for (const auto& entry : fs::directory_iterator(Terminal(lane)))
            if (entry.path() != Program(lane)) fs::remove_all(entry.path());
        CopyTree(first, Terminal(lane), {});
        if (readOnlyRecord) files->setAttributes(TerminalPath(record, lane), platform::attr::ReadOnly);
    };
    // A module as the first run left it (the terminal's old version where it did not copy).
    auto firstVersion = [&](const Module& module) -> std::optional<std::string> {
        if (fs::exists(first / module.name)) return dir.read(fs::relative(first / module.name, dir.path()).string());
        return std::nullopt;
    };
    restore(0, false);
    const testing_support::TracedRun reference = testing_support::RunTraced(Program(), Terminal(), {}, nullptr);
    ASSERT_EQ(reference.exitStatus, kWholeRun);
    std::vector<std::optional<CallMoment>> moments = {std::nullopt};  // first: no kill, the record refused
    for (size_t i = 0; i < reference.calls.size(); ++i) moments.insert(moments.end(), {CallMoment{i, false}, CallMoment{i, true}});
    std::cout << "(killing the second run at " << moments.size() - 1 << " moments)\n";
    const std::vector<std::string> voltar = {"--voltar"};
    auto killEvery = [&](int lane) {
        for (size_t m = static_cast<size_t>(lane); m < moments.size() && !HasFailure(); m += kLanes) {
            // Every other call, the record cannot be written (read-only) when the run gets there.
            const bool readOnly = !moments[m] || moments[m]->index / 2 % 2 == 1;
            restore(lane, readOnly);
            const testing_support::TracedRun run = testing_support::RunTraced(
                Program(lane), Terminal(lane), moments[m] ? std::vector{*moments[m]} : std::vector<CallMoment>{},
                [](const CallMoment&) { return true; });
            std::string when = "without a kill, the record read-only";
            if (moments[m])
                when = "after a kill " + std::string(moments[m]->after ? "after " : "before ") +
                       reference.calls[moments[m]->index].name + " #" + std::to_string(moments[m]->index) +
                       (readOnly ? ", the record read-only" : "");
            else
                EXPECT_EQ(run.exitStatus, kWholeRun | 64) << when;
            // What the second run changed: a module replaced, or one it brought new.
            bool changed = false;
            for (const Module& module : modules) {
                const std::optional<std::string> before = firstVersion(module);
                if (fs::exists(TerminalPath(module.name, lane)) && TerminalText(module.name, lane) != before) changed = true;
            }
            testing_support::RunAndWait(Program(lane), voltar, Terminal(lane), 20, {Quiet()});
            for (const Module& module : modules) {
                const std::optional<std::string> before = firstVersion(module);
                if (!before) continue;  // new in the second run: nothing to go back to
                const bool vendas = module.name == "VENDAS.EXE";
                const std::string expected = changed || !vendas ? *before : module.old->content;
                EXPECT_TRUE(fs::exists(TerminalPath(module.name, lane))) << module.name << " " << when;
                if (fs::exists(TerminalPath(module.name, lane)))
                    EXPECT_TRUE(TerminalText(module.name, lane) == expected)
                        << module.name << (expected == *before ? " is not as the first run left it" : " is not its old version")
                        << (changed ? " (the killed run changed files) " : " ") << when;
            }
        }
    };
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) lanes.emplace_back(killEvery, lane);
    for (std::thread& lane : lanes) lane.join();
}

// The index of the n-th call that writes data (a write, a kernel copy) into the `temporary`-th
// temporary of ESTOQUE.EXE that the run creates; 0 when there is none.
size_t DataCallInto(const std::vector<testing_support::FileCall>& calls, int temporary, int n) {
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].created.find("~ESTOQUE.EXE.") != std::string::npos) --temporary;
        else if (temporary == 0 && (calls[i].name == "write" || calls[i].name == "copy_file_range") && --n == 0)
            return i;
    }
    return 0;
}

// The server's ESTOQUE.EXE changes in place while the terminal copies it: rewritten with the same
// size, cut short, grown. The copy that read it is discarded; the fallback copy then finds it
// settled and installs it whole. When it changes under the fallback copy too, the old file stays.
TEST_F(KillAnywhere, ASourceChangedDuringItsCopyIsNeverInstalledAsAMixture) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    ResetTerminal();
    const testing_support::TracedRun reference = testing_support::RunTraced(Program(), Terminal(), {}, nullptr);
    // Before the component's second step of data: part of the file is copied, part is not.
    const size_t secondStep = DataCallInto(reference.calls, 1, 2);
    ASSERT_GT(secondStep, 0u);

    auto changeInPlace = [&](const Version& version) {
        // In place: the same file, opened without emptying it, as a share's publisher writes it.
        std::FILE* file = std::fopen(ServerPath("ESTOQUE.EXE").c_str(), "r+b");
        ASSERT_TRUE(file);
        std::fwrite(version.content.data(), 1, version.content.size(), file);
        std::fclose(file);
        fs::resize_file(ServerPath("ESTOQUE.EXE"), version.content.size());
    };
    const std::vector<std::pair<std::string, size_t>> changes = {
        {"rewritten in place", 900000}, {"cut short", 12000}, {"grown", 1200000}};
    int round = 0;
    for (const auto& [what, size] : changes) {
        ResetTerminal();
        const Version original = modules[0].current;
        Publish("ESTOQUE.EXE", original);
        const Version changed{Pattern(size, static_cast<char>('K' + round++)), {2024, 6, 1, 9, 0, 0}};
        // Changed under the component's copy only: the fallback installs the settled file.
        testing_support::RunTraced(Program(), Terminal(), {{secondStep, false}}, [&](const CallMoment&) {
            changeInPlace(changed);
            return false;
        });
        EXPECT_EQ(TerminalText("ESTOQUE.EXE"), changed.content) << what;
        EXPECT_EQ(files->lastWriteDos(TerminalPath("ESTOQUE.EXE")), files->lastWriteDos(ServerPath("ESTOQUE.EXE")));
        EXPECT_EQ(Temporaries(), std::vector<std::string>{}) << what;
    }

    // Changed again under the fallback copy (its one kernel copy of the file): nothing is
    // installed, and the next run copies the settled file.
    ResetTerminal();
    Publish("ESTOQUE.EXE", modules[0].current);
    const Version first{Pattern(41000, 'X'), {}}, second{Pattern(30000, 'Y'), {}};
    const testing_support::TracedRun once =
        testing_support::RunTraced(Program(), Terminal(), {{secondStep, false}}, [&](const CallMoment&) {
            changeInPlace(first);
            return false;
        });
    // The fallback writes a temporary of its own: its first step of data.
    const size_t fallback = DataCallInto(once.calls, 2, 1);
    ASSERT_GT(fallback, 0u) << "the fallback copy did not run";
    ResetTerminal();
    Publish("ESTOQUE.EXE", modules[0].current);
    testing_support::RunTraced(Program(), Terminal(), {{secondStep, false}, {fallback, false}},
                               [&](const CallMoment& moment) {
                                   changeInPlace(moment.index == secondStep ? first : second);
                                   return false;
                               });
    EXPECT_EQ(TerminalText("ESTOQUE.EXE"), modules[0].old->content);
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
    EXPECT_EQ(testing_support::RunAndWait(Program(), {}, Terminal(), 20, {Quiet()}).exitStatus, kWholeRun);
    EXPECT_EQ(TerminalText("ESTOQUE.EXE"), second.content);
}

}  // namespace

#endif
