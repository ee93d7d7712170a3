// The real program killed (SIGKILL, as a power cut ends it) at each step of writing its state
// record: the share then holds the previous record whole or the new one whole, never a part,
// and the next run clears what the killed write left.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <filesystem>

#include "frota/leitura.h"
#include "frota/nome.h"
#include "platform/temporary_names.h"
#include "run_fixture.h"
#include "support/child_process.h"
#include "support/syscall_stops.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class FrotaKill : public ::testing::Test {
protected:
    FrotaKill() {
        fs::create_directories(dir / "rede/servidor/QOR7/TABDEF");
        fs::create_directories(Pasta());
        fs::create_directories(dir / "estacao/terminal");
        fs::copy_file(ATUALIZA_EXE, Program());
        dir.write("estacao/terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() +
                                                  "rede/servidor/QOR7/\r\n");
        dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT", app_test::ModuleLine("VENDAS.EXE", "Vendas") + "\r\n");
        dir.write("rede/servidor/QOR7/VENDAS.EXE", "nova");
    }
    std::string Program() const { return (dir / "estacao/terminal" / fs::path(ATUALIZA_EXE).filename()).string(); }
    std::string Terminal() const { return (dir / "estacao/terminal").string(); }
    fs::path Pasta() const { return dir / "rede/servidor/QOR7/TERMINAIS"; }

    // Records that read whole, and the temporaries of killed writes: nothing else, ever.
    std::pair<std::vector<std::string>, std::vector<std::string>> RecordsAndTemporaries(const std::string& when) {
        std::vector<std::string> records, temporaries;
        for (const auto& e : fs::directory_iterator(Pasta())) {
            const std::string name = e.path().filename().string();
            if (platform::IsTemporaryName(name)) {
                temporaries.push_back(name);
                continue;
            }
            records.push_back(name);
            EXPECT_TRUE(frota::EhNomeDeRegistro(name)) << name << " " << when;
            EXPECT_TRUE(frota::LeRegistro(dir.read("rede/servidor/QOR7/TERMINAIS/" + name))) << name << " " << when;
        }
        EXPECT_LE(records.size(), 1u) << when;
        return {records, temporaries};
    }
    testing_support::TempDir dir;
};

TEST_F(FrotaKill, TheRecordIsWholeAfterEachKillAndTheNextRunClearsWhatAKilledWriteLeft) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    const testing_support::TracedRun reference = testing_support::RunTraced(Program(), Terminal(), {}, nullptr);
    ASSERT_TRUE(reference.exitStatus);
    // Each write of a record: its temporary, the data, the flush, the rename.
    std::vector<testing_support::CallMoment> moments;
    for (size_t i = 0; i < reference.calls.size(); ++i)
        if (reference.calls[i].created.find("TERMINAIS") != std::string::npos)
            for (size_t j = i; j < std::min(i + 4, reference.calls.size()); ++j) moments.insert(moments.end(), {{j, false}, {j, true}});
    ASSERT_GE(moments.size(), 16u) << "a started and a final record, each in four steps";

    size_t killedWithATemporary = 0;
    for (const testing_support::CallMoment& moment : moments) {
        testing_support::RunTraced(Program(), Terminal(), {moment}, [](const testing_support::CallMoment&) { return true; });
        const std::string when = "after a kill " + std::string(moment.after ? "after " : "before ") +
                                 reference.calls[moment.index].name + " #" + std::to_string(moment.index);
        const auto [records, temporaries] = RecordsAndTemporaries(when);
        killedWithATemporary += temporaries.empty() ? 0 : 1;
        // The reference run succeeded: whatever record stands keeps that success.
        for (const std::string& name : records) {
            const auto record = frota::LeRegistro(dir.read("rede/servidor/QOR7/TERMINAIS/" + name));
            EXPECT_TRUE(record && record->Valor("ultimo_sucesso_utc")) << when;
        }
        if (HasFailure()) break;
    }
    EXPECT_GT(killedWithATemporary, 0u);

    const auto clean = testing_support::RunAndWait(Program(), {}, Terminal(), 20);
    EXPECT_TRUE(clean.exitStatus);
    const auto [records, temporaries] = RecordsAndTemporaries("after a clean run");
    EXPECT_EQ(records.size(), 1u);
    EXPECT_EQ(temporaries, std::vector<std::string>{});
    const auto last = frota::LeRegistro(dir.read("rede/servidor/QOR7/TERMINAIS/" + records.at(0)));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Valor("situacao"), "normal");
}

}  // namespace

#endif  // _WIN32
