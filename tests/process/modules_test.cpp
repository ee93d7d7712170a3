#include "process/modules.h"

#include <gtest/gtest.h>

#include "support/scripted_processes.h"

using platform::SnapshotKind;
using process::KillTask;
using process::VerModuloAberto;
using testing_support::ScriptedProcesses;

namespace {

constexpr uintptr_t kUntouched = 0xDEADBEEF;

// One list-mode call, as the update run makes it.
std::string listMode(ScriptedProcesses& table, bool& servidorAberto, uintptr_t& handel) {
    return VerModuloAberto(table, "", handel, servidorAberto);
}

}  // namespace

TEST(ModulosConhecidos, HoldsTheSuiteInOrderWithoutTheUpdater) {
    ASSERT_EQ(process::ModulosConhecidos.size(), 22u);
    EXPECT_EQ(process::ModulosConhecidos.front(), "DERVA7.EXE");
    EXPECT_EQ(process::ModulosConhecidos[11], "HALDENMOR7.EXE");
    EXPECT_EQ(process::ModulosConhecidos[17], "SERVERQOR.EXE");
    EXPECT_EQ(process::ModulosConhecidos[19], "QOR7.EXE");
    EXPECT_EQ(process::ModulosConhecidos.back(), "VIEWLOGQOR7.EXE");
}

TEST(VerModuloAbertoListMode, NothingRunningLeavesEverythingUntouched) {
    ScriptedProcesses table({{"bash", 10}, {"AtualizaTerminalQOR7.exe", 11}, {"explorer.exe", 12}});
    for (bool flag : {false, true}) {
        uintptr_t handel = kUntouched;
        bool servidor = flag;
        EXPECT_EQ(listMode(table, servidor, handel), "");
        EXPECT_EQ(handel, kUntouched);
        EXPECT_EQ(servidor, flag);
    }
    ScriptedProcesses empty;
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(listMode(empty, servidor, handel), "");
    EXPECT_EQ(handel, kUntouched);
    EXPECT_FALSE(servidor);
}

TEST(VerModuloAbertoListMode, FindsLowerCaseModuleAndReturnsItUpperCased) {
    ScriptedProcesses table({{"bash", 1}, {"qor7.exe", 2}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(listMode(table, servidor, handel), "QOR7.EXE");
    EXPECT_EQ(handel, kUntouched);  // list mode never writes it
    EXPECT_FALSE(servidor);
    EXPECT_EQ(table.snapshots(SnapshotKind::All), 1);
    EXPECT_EQ(table.snapshots(SnapshotKind::ProcessesOnly), 0);
}

TEST(VerModuloAbertoListMode, BlankAndControlCharactersMeanListMode) {
    ScriptedProcesses table({{"Derva7.exe", 5}});
    for (std::string blank : {std::string(" "), std::string("\t \r\n"), std::string(1, '\0')}) {
        uintptr_t handel = kUntouched;
        bool servidor = false;
        EXPECT_EQ(VerModuloAberto(table, blank, handel, servidor), "DERVA7.EXE");
        EXPECT_EQ(handel, kUntouched);
    }
}

TEST(VerModuloAbertoListMode, FirstModuleInProcessOrderWinsNotListOrder) {
    // QOR7 is listed after DERVA7 in the suite's list, but runs first here.
    ScriptedProcesses table({{"QOR7.EXE", 1}, {"DERVA7.EXE", 2}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(listMode(table, servidor, handel), "QOR7.EXE");
}

TEST(VerModuloAbertoListMode, NamesAreComparedExactlyAfterAsciiUpperCasing) {
    // Blanks are not trimmed and accented letters are not folded.
    ScriptedProcesses table({{" QOR7.EXE", 1}, {"QOR7.EXE ", 2}, {"qor7.éxe", 3}, {"QOR7", 4}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(listMode(table, servidor, handel), "");
}

// The update run's loop: find, end, until nothing is found.
TEST(VerModuloAbertoListMode, ServerAndAnotherModuleInEitherOrderSetTheFlag) {
    for (bool serverFirst : {true, false}) {
        ScriptedProcesses table;
        if (serverFirst) table.add("ServerQor.exe", 1);
        table.add("folkina7.exe", 2);
        if (!serverFirst) table.add("SERVERQOR.EXE", 1);

        bool servidor = false;
        uintptr_t scratch = 0;
        std::vector<std::string> found;
        for (std::string name; !(name = listMode(table, servidor, scratch)).empty();) {
            found.push_back(name);
            EXPECT_EQ(KillTask(table, name), 1);
        }
        std::vector<std::string> expected = serverFirst
            ? std::vector<std::string>{"SERVERQOR.EXE", "FOLKINA7.EXE"}
            : std::vector<std::string>{"FOLKINA7.EXE", "SERVERQOR.EXE"};
        EXPECT_EQ(found, expected) << "server first: " << serverFirst;
        EXPECT_TRUE(servidor) << "server first: " << serverFirst;
        EXPECT_FALSE(table.running(1));
        EXPECT_FALSE(table.running(2));
    }
}

TEST(VerModuloAbertoListMode, FlagAlreadyTrueStaysTrue) {
    ScriptedProcesses table({{"GRAVIT7.EXE", 3}});
    uintptr_t handel = kUntouched;
    bool servidor = true;
    EXPECT_EQ(listMode(table, servidor, handel), "GRAVIT7.EXE");
    EXPECT_TRUE(servidor);
}

TEST(VerModuloAbertoNamedMode, StoresTheIdentifierOfTheFirstMatch) {
    ScriptedProcesses table({{"bash", 7}, {"NotePad.EXE", 4242}, {"notepad.exe", 4343}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(VerModuloAberto(table, "notepad.EXE", handel, servidor), "NOTEPAD.EXE");
    EXPECT_EQ(handel, 4242u);
    EXPECT_FALSE(servidor);
}

TEST(VerModuloAbertoNamedMode, ServerByNameDoesNotTouchTheFlag) {
    ScriptedProcesses table({{"SERVERQOR.EXE", 9}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(VerModuloAberto(table, "serverqor.exe", handel, servidor), "SERVERQOR.EXE");
    EXPECT_EQ(handel, 9u);
    EXPECT_FALSE(servidor);
}

TEST(VerModuloAbertoNamedMode, UnknownNameGivesEmptyAndLeavesHandel) {
    ScriptedProcesses table({{"QOR7.EXE", 1}, {"bash", 2}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(VerModuloAberto(table, "nada.exe", handel, servidor), "");
    EXPECT_EQ(handel, kUntouched);
    // Named mode compares as given: no trimming of the wanted name.
    EXPECT_EQ(VerModuloAberto(table, "QOR7.EXE ", handel, servidor), "");
    EXPECT_EQ(handel, kUntouched);
    EXPECT_FALSE(servidor);
}

TEST(KillTask, EndsBothProcessesOfOneModule) {
    ScriptedProcesses table({{"QOR7.EXE", 1}, {"bash", 2}, {"qor7.exe", 3}});
    EXPECT_EQ(KillTask(table, "QOR7.EXE"), 1);
    EXPECT_EQ(table.terminated(), (std::vector<uint32_t>{1, 3}));
    EXPECT_TRUE(table.running(2));
    EXPECT_EQ(table.snapshots(SnapshotKind::ProcessesOnly), 1);
    EXPECT_EQ(table.snapshots(SnapshotKind::All), 0);
}

TEST(KillTask, NothingMatchingReturnsZeroAndEndsNothing) {
    ScriptedProcesses table({{"QOR7.EXE", 1}, {"bash", 2}});
    EXPECT_EQ(KillTask(table, "DERVA7.EXE"), 0);
    EXPECT_EQ(KillTask(table, "QOR7"), 0);
    EXPECT_TRUE(table.requests().empty());
    ScriptedProcesses empty;
    EXPECT_EQ(KillTask(empty, "QOR7.EXE"), 0);
}

TEST(KillTask, RefusedRequestGivesZeroAndTheModuleIsFoundAgain) {
    ScriptedProcesses table({{"BIMRO7.EXE", 50, false}});
    EXPECT_EQ(KillTask(table, "BIMRO7.EXE"), 0);
    EXPECT_EQ(table.requests(), (std::vector<uint32_t>{50}));
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(listMode(table, servidor, handel), "BIMRO7.EXE");
}

TEST(KillTask, ResultIsTheOutcomeOfTheLastRequest) {
    ScriptedProcesses acceptedLast({{"BIMRO7.EXE", 1, false}, {"BIMRO7.EXE", 2, true}});
    EXPECT_EQ(KillTask(acceptedLast, "BIMRO7.EXE"), 1);
    ScriptedProcesses refusedLast({{"BIMRO7.EXE", 1, true}, {"BIMRO7.EXE", 2, false}});
    EXPECT_EQ(KillTask(refusedLast, "BIMRO7.EXE"), 0);
    EXPECT_EQ(refusedLast.terminated(), (std::vector<uint32_t>{1}));  // the walk did not stop
}

// A module ends and its number goes to an unrelated process between the list and the request:
// the request names the process that was listed, and the newcomer keeps running.
TEST(KillTask, ANumberReusedAfterTheListEndsNothing) {
    ScriptedProcesses table({{"LUNDAMI7.EXE", 40}, {"QOR7.EXE", 41}});
    table.afterSnapshot = [&] { table.ReuseNumber(40, "bash"); };
    EXPECT_EQ(KillTask(table, "LUNDAMI7.EXE"), 0);
    EXPECT_EQ(table.requests(), std::vector<uint32_t>{40});
    EXPECT_TRUE(table.running(40));
    EXPECT_TRUE(table.terminated().empty());
}

TEST(KillTask, MatchesTheFileNamePartOfAFullPathOrTheWholeName) {
    ScriptedProcesses table({{"C:\\QOR\\Bin\\qor7.exe", 1},
                             {"D:qor7.exe", 2},
                             {"/opt/qor/QOR7.EXE", 3},
                             {"C:\\Other\\QOR7.EXE.bak", 4},
                             {"C:\\QOR\\Derva7.exe", 5}});
    EXPECT_EQ(KillTask(table, "QOR7.EXE"), 1);
    EXPECT_EQ(table.terminated(), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(KillTask(table, "c:\\qor\\derva7.EXE"), 1);  // the whole name as listed
    EXPECT_FALSE(table.running(5));
    EXPECT_TRUE(table.running(4));
}

// On a terminal shared by several users, only the modules of the updater's own session count.
TEST(OwnSession, ModulesOfOtherOwnersOrOfNoKnownOwnerAreNeitherFoundNorEnded) {
    constexpr uint32_t kColleague = 2000;
    ScriptedProcesses table({{"SERVERQOR.EXE", 1, true, std::nullopt},
                             {"QOR7.EXE", 2, true, kColleague},
                             {"qor7.exe", 3},
                             {"DERVA7.EXE", 4, true, kColleague}});
    uintptr_t handel = kUntouched;
    bool servidor = false;
    EXPECT_EQ(VerModuloAberto(table, "QOR7.EXE", handel, servidor), "QOR7.EXE");
    EXPECT_EQ(handel, 3u);
    EXPECT_EQ(KillTask(table, "QOR7.EXE"), 1);
    EXPECT_EQ(table.requests(), std::vector<uint32_t>{3});
    EXPECT_EQ(listMode(table, servidor, handel), "");
    EXPECT_FALSE(servidor);
    EXPECT_EQ(KillTask(table, "DERVA7.EXE"), 0);
    EXPECT_EQ(table.requests(), std::vector<uint32_t>{3});
}

TEST(OwnSession, WhenTheUpdaterCannotTellItsOwnEveryProcessCountsAsBefore) {
    ScriptedProcesses table({{"QOR7.EXE", 2, true, 2000}, {"QOR7.EXE", 3, true, std::nullopt}});
    table.ownOwner = std::nullopt;
    EXPECT_EQ(KillTask(table, "QOR7.EXE"), 1);
    EXPECT_EQ(table.terminated(), (std::vector<uint32_t>{2, 3}));
}
