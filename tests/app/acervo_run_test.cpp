// Runs that leave the terminal stuck on a version no server holds any more, unless the record of
// what each copy installed puts them right: an earlier build put back, a file copied while it was
// being published, a copy whose time could not be set, a record that is damaged.
#include <gtest/gtest.h>

#include <filesystem>

#include "acervo/arquivo.h"
#include "platform/text.h"
#include "run_fixture.h"
#include "support/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

class RecordRun : public app_test::RunTest {
protected:
    RecordRun() {
        WriteSettings();
        WriteCatalogue({ModuleLine("QOR7.EXE", "Principal"), "pkBase7.bpl"});
    }
    void Publish(const std::string& name, const std::string& content, const platform::LocalDateTime& time) {
        SetTime(Server(name, content), time);
    }
    acervo::Acervo Record() const { return acervo::Le(*machine.files, terminalFolder); }
};

TEST_F(RecordRun, AnEarlierBuildPutBackOnTheServerReachesTheTerminal) {
    Publish("QOR7.EXE", "build ruim", {2024, 6, 2, 9, 0, 0});
    Publish("pkBase7.bpl", "pacote ruim", {2024, 6, 2, 9, 0, 0});
    RunUpdate();
    ASSERT_EQ(TerminalText("QOR7.EXE"), "build ruim");

    Publish("QOR7.EXE", "build boa", {2024, 6, 1, 9, 0, 0});
    Publish("pkBase7.bpl", "pacote bom", {2024, 6, 1, 9, 0, 0});
    const std::string out = RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), "build boa");
    EXPECT_EQ(TerminalText("pkBase7.bpl"), "pacote bom");
    EXPECT_NE(out.find("Arquivo: QOR7.EXE"), std::string::npos) << out;
    EXPECT_EQ(Form().CodigoSaida, 0);
    EXPECT_EQ(RunUpdate(), "");  // and then it is current
}

TEST_F(RecordRun, AFileTheRecordDoesNotNameKeepsTheTimeRule) {
    Publish("QOR7.EXE", "servidor", {2024, 6, 1, 9, 0, 0});
    SetTime(Terminal("QOR7.EXE", "do terminal, mais novo"), {2024, 6, 2, 9, 0, 0});
    EXPECT_EQ(RunUpdate(), "");
    EXPECT_EQ(TerminalText("QOR7.EXE"), "do terminal, mais novo");
    // Changed on the terminal after a copy: the record no longer speaks for it.
    Publish("QOR7.EXE", "servidor 2", {2024, 6, 3, 9, 0, 0});
    RunUpdate();
    ASSERT_EQ(TerminalText("QOR7.EXE"), "servidor 2");
    SetTime(Terminal("QOR7.EXE", "trocado no terminal"), {2024, 6, 4, 9, 0, 0});
    EXPECT_EQ(RunUpdate(), "");
    EXPECT_EQ(TerminalText("QOR7.EXE"), "trocado no terminal");
}

TEST_F(RecordRun, AFileCopiedHalfPublishedIsCopiedAgainOnceThePublisherSetsItsTime) {
    // The publisher keeps times: while it writes, the file is new and partial; at the end it
    // carries the build's earlier time.
    Server("QOR7.EXE", std::string(512, 'a'));
    RunUpdate();
    ASSERT_EQ(TerminalText("QOR7.EXE").size(), 512u);
    Publish("QOR7.EXE", std::string(1024, 'a'), {2024, 6, 1, 9, 0, 0});
    RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), std::string(1024, 'a'));
    const acervo::Acervo record = Record();
    const acervo::Entrada* entry = record.Procura("qor7.exe");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->servidor, machine.files->stampOf(serverFolder + "QOR7.EXE"));
}

TEST_F(RecordRun, ACopyWhoseTimeCannotBeSetIsNotUpdatedAndIsCopiedAgain) {
    Publish("QOR7.EXE", "nova", {2024, 6, 1, 9, 0, 0});
    SetTime(Terminal("QOR7.EXE", "antiga"), {2024, 5, 1, 9, 0, 0});
    auto faulty = std::make_shared<testing_support::FaultyFileSystem>(machine.files);
    faulty->RefuseTimesAndModes();
    const auto native = machine.files;
    machine.files = faulty;
    const std::string out = RunUpdate();
    // Its data came, but it carries today's time: counted as not updated, and remembered so.
    EXPECT_EQ(TerminalText("QOR7.EXE"), "nova");
    EXPECT_NE(out.find("Arquivos NÃO Atualizados (avise o suporte) :"), std::string::npos) << out;
    EXPECT_EQ(Form().CodigoSaida, 2);
    ASSERT_TRUE(Record().Procura("QOR7.EXE"));
    EXPECT_EQ(Record().Procura("QOR7.EXE")->estado, acervo::Estado::Incompleto);
    EXPECT_NE(dir.read("estacao/terminal/AtualizaTerminalQOR7.log").find("não puderam ser ajustados"), std::string::npos);

    machine.files = native;  // the folder can be dated again
    const std::string again = RunUpdate();
    EXPECT_NE(again.find("Arquivos Atualizados :"), std::string::npos) << again;
    EXPECT_EQ(machine.files->lastWriteDos(terminalFolder + "QOR7.EXE"), machine.files->lastWriteDos(serverFolder + "QOR7.EXE"));
    EXPECT_EQ(RunUpdate(), "");
}

TEST_F(RecordRun, ADamagedOrForeignRecordCountsAsEmpty) {
    Publish("QOR7.EXE", "servidor", {2024, 6, 1, 9, 0, 0});
    SetTime(Terminal("QOR7.EXE", "terminal"), {2024, 6, 1, 9, 0, 0});
    for (const std::string& junk : {std::string("lixo"), std::string(5000, '\0'), std::string("fim=0,0\n")}) {
        Terminal(std::string(acervo::kNomeArquivo), junk);
        EXPECT_EQ(RunUpdate(), "");
        EXPECT_EQ(TerminalText("QOR7.EXE"), "terminal");
        EXPECT_EQ(Form().CodigoSaida, 0);
    }
}


// Packages and libraries that the clean-up's masks match: those the terminal already holds in the
// server's very version stay in place, neither deleted nor copied; every other one goes and comes
// back as before. The bytes decide, not only size and time.
class MaskedFiles : public RecordRun {
protected:
    MaskedFiles() {
        WriteCatalogue({ModuleLine("QOR7.EXE", "Principal")});
        for (const char* name : {"pkVendas7.bpl", "pkEstoque7.bpl", "midas.dll"})
            Publish(name, std::string("conteúdo de ") + name, {2024, 6, 1, 9, 0, 0});
    }
    std::string Log() const { return dir.read("estacao/terminal/AtualizaTerminalQOR7.log"); }
    std::string LogOfLastRun(const std::string& before) const { return Log().substr(before.size()); }
};

TEST_F(MaskedFiles, ThoseAlreadyInTheServersVersionStayAndTheRestGoAndComeBack) {
    RunUpdate();
    ASSERT_EQ(TerminalText("pkVendas7.bpl"), "conteúdo de pkVendas7.bpl");
    std::string before = Log();
    RunUpdate();
    std::string run = LogOfLastRun(before);
    EXPECT_EQ(run.find("excluído:"), std::string::npos) << run;
    EXPECT_EQ(run.find("copiado:"), std::string::npos) << run;
    EXPECT_NE(run.find("limpeza: 3 arquivo(s) mantido(s)"), std::string::npos) << run;

    // Changed on the terminal with its size and time kept; a new build of another; an old
    // package the server never had; a package the server no longer has.
    const std::string vendas = terminalFolder + "pkVendas7.bpl";
    const auto stamp = machine.files->stampOf(vendas);
    Terminal("pkVendas7.bpl", "conteúdo de pkVendaX7.bpl");
    ASSERT_TRUE(machine.files->openRead(vendas)->setLastWrite(stamp->lastWrite));
    Publish("midas.dll", "midas novo", {2024, 6, 2, 9, 0, 0});
    Terminal("pkAntigo7.bpl", "velho");
    fs::remove(dir / "rede/servidor/QOR7/pkEstoque7.bpl");
    before = Log();
    RunUpdate();
    run = LogOfLastRun(before);
    EXPECT_EQ(TerminalText("pkVendas7.bpl"), "conteúdo de pkVendas7.bpl");
    EXPECT_EQ(TerminalText("midas.dll"), "midas novo");
    EXPECT_FALSE(TerminalHas("pkAntigo7.bpl"));
    EXPECT_FALSE(TerminalHas("pkEstoque7.bpl"));
    for (const char* line : {"copiado: pkVendas7.bpl", "copiado: midas.dll", "excluído: " , "pkEstoque7.bpl"})
        EXPECT_NE(run.find(line), std::string::npos) << line << "\n" << run;
    EXPECT_EQ(run.find("mantido"), std::string::npos) << run;
    EXPECT_EQ(Form().CodigoSaida, 0);
}

}  // namespace

// Keeping is an optimisation: the run leaves what it would leave without it and shows the same
// boxes. A masked file the catalogue no longer names goes; a read-only package is tried (its box
// appears); a package the server made read-only with size and time kept comes back read-only.
TEST_F(MaskedFiles, KeepingChangesNoOutcome) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Principal"), "TABDEF\\tabdef.ini"});
    Publish("TABDEF/tabdef.ini", "tabelas", {2024, 6, 1, 9, 0, 0});
    fs::create_directories(dir / "estacao/terminal/TABDEF");
    Publish("midas.dll", "midas", {2024, 6, 1, 9, 0, 0});
    machine.files->setAttributes(serverFolder + "midas.dll", platform::attr::ReadOnly);
    RunUpdate();
    ASSERT_EQ(TerminalText("TABDEF/tabdef.ini"), "tabelas");
    machine.files->setAttributes(serverFolder + "pkEstoque7.bpl", platform::attr::ReadOnly);
    std::string before = Log();
    const std::string box = RunUpdate();
    EXPECT_NE(box.find("Não consegui Excluir " + platform::pathForDisplay(terminalFolder) + "midas.dll"), std::string::npos) << box;
    EXPECT_NE(LogOfLastRun(before).find("limpeza: 2 arquivo(s) mantido(s)"), std::string::npos) << LogOfLastRun(before);
    EXPECT_EQ(machine.files->attributes(terminalFolder + "pkEstoque7.bpl").value_or(0) & platform::attr::ReadOnly,
              platform::attr::ReadOnly);

    WriteCatalogue({ModuleLine("QOR7.EXE", "Principal")});
    RunUpdate();
    EXPECT_FALSE(TerminalHas("TABDEF/tabdef.ini"));
}
