// The step back as a user meets it: updates keep what they replace, --voltar gives the last
// update's files back with their times, later runs leave the versions taken back alone until the
// server holds another one, and a version that could not be kept changes nothing in the copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "app/exit_status.h"
#include "frota/leitura.h"
#include "platform/dos_time.h"
#include "retorno/nomes.h"
#include "run_fixture.h"
#include "support/faulty_file_system.h"
#include "support/running_program.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

struct Versao {
    std::string conteudo;
    platform::LocalDateTime hora;
    bool operator==(const Versao& outra) const {
        return conteudo == outra.conteudo && platform::packDosDateTime(hora) == platform::packDosDateTime(outra.hora);
    }
};

class VoltarRun : public app_test::RunTest {
protected:
    VoltarRun() {
        WriteSettings();
        WriteCatalogue({ModuleLine("QOR7.EXE", "Principal"), ModuleLine("VENDAS.EXE", "Vendas"),
                        ModuleLine("RELAT.EXE", "Relatórios"),
                        // Never copied among the kept versions, whatever the catalogue says.
                        "AtualizaTerminalQOR7.anteriores\\guardadas\\QOR7.EXE", "x\\..\\atualizaterminalqor7.ANTERIORES.\\pendentes\\pkVendas7.bpl"});
    }
    void Publica(const std::string& nome, const Versao& v) { SetTime(Server(nome, v.conteudo), v.hora); }
    void NoTerminal(const std::string& nome, const Versao& v) { SetTime(Terminal(nome, v.conteudo), v.hora); }
    // The file is exactly that version: its bytes and its time.
    void EsperaVersao(const std::string& nome, const Versao& v, const std::string& quando) {
        ASSERT_TRUE(TerminalHas(nome)) << nome << " " << quando;
        EXPECT_EQ(TerminalText(nome), v.conteudo) << nome << " " << quando;
        EXPECT_EQ(machine.files->lastWriteDos(terminalFolder + nome), platform::packDosDateTime(v.hora))
            << nome << " " << quando;
    }
    std::string Log() const { return TerminalText("AtualizaTerminalQOR7.log"); }
    // The versions kept beside the program ("guardadas"), or the second names left ("pendentes").
    std::vector<std::string> Kept(std::string_view pasta) const {
        std::vector<std::string> nomes;
        const fs::path raiz = dir / ("estacao/terminal/" + std::string(retorno::kPastaAnteriores) + "/" + std::string(pasta));
        if (fs::exists(raiz))
            for (const auto& e : fs::recursive_directory_iterator(raiz))
                if (e.is_regular_file()) nomes.push_back(fs::relative(e.path(), raiz).generic_string());
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
    // The terminal's one state record in the server's TERMINAIS folder.
    frota::RegistroLido RegistroDaFrota() const {
        const fs::directory_iterator pasta(dir / "rede/servidor/QOR7/TERMINAIS");
        const auto lido = frota::LeRegistro(dir.read("rede/servidor/QOR7/TERMINAIS/" + pasta->path().filename().string()));
        EXPECT_TRUE(lido);
        return lido.value_or(frota::RegistroLido({}));
    }

    const Versao qorVelho{"qor7 de ontem", {2024, 3, 1, 8, 0, 0}}, qorNovo{"qor7 com defeito", {2024, 6, 1, 9, 0, 0}};
    const Versao vendasVelho{"vendas antigo", {2024, 3, 2, 8, 0, 0}}, vendasNovo{"vendas novo", {2024, 6, 1, 9, 0, 2}};
    const Versao pacoteVelho{"pacote antigo", {2024, 3, 3, 8, 0, 0}}, pacoteNovo{"pacote novo", {2024, 6, 1, 9, 0, 4}};
};

TEST_F(VoltarRun, TheLastUpdateComesBackWithItsTimesStaysBackAndTheNextServerVersionIsCopied) {
    fs::create_directories(dir / "rede/servidor/QOR7/TERMINAIS");
    NoTerminal("QOR7.EXE", qorVelho);
    NoTerminal("VENDAS.EXE", vendasVelho);
    NoTerminal("pkVendas7.bpl", pacoteVelho);  // the clean-up deletes it, the sweep brings it back
    Publica("QOR7.EXE", qorNovo);
    Publica("VENDAS.EXE", vendasNovo);
    Publica("pkVendas7.bpl", pacoteNovo);
    Publica("RELAT.EXE", {"relatórios", {2024, 6, 1, 9, 0, 6}});  // new to the terminal: stays
    Server("AtualizaTerminalQOR7.anteriores/guardadas/QOR7.EXE", "intruso");
    RunUpdate();
    EsperaVersao("pkVendas7.bpl", pacoteNovo, "after the update");
    EXPECT_EQ(Kept(retorno::kGuardadas), (std::vector<std::string>{"QOR7.EXE", "VENDAS.EXE", "pkVendas7.bpl"}));
    EXPECT_EQ(dir.read("estacao/terminal/AtualizaTerminalQOR7.anteriores/guardadas/QOR7.EXE"), qorVelho.conteudo);

    shell->calls.clear();
    const std::string box = RunUpdate({"--voltar"});
    EXPECT_EQ(Form().CodigoSaida, 0) << box;
    EsperaVersao("QOR7.EXE", qorVelho, "after --voltar");
    EsperaVersao("VENDAS.EXE", vendasVelho, "after --voltar");
    EsperaVersao("pkVendas7.bpl", pacoteVelho, "after --voltar");
    for (const char* linha : {"Voltaram à versão anterior", "Arquivo: QOR7.EXE            -  versão de 01/03/2024 08:00",
                              "Arquivo: VENDAS.EXE", "Arquivo: pkVendas7.bpl"})
        EXPECT_NE(box.find(linha), std::string::npos) << linha << "\n" << box;
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
    EXPECT_EQ(Kept(retorno::kPendentes), std::vector<std::string>{});
    // The versions taken back are the previous generation now.
    EXPECT_EQ(dir.read("estacao/terminal/AtualizaTerminalQOR7.anteriores/guardadas/QOR7.EXE"), qorNovo.conteudo);
    const frota::RegistroLido voltar = RegistroDaFrota();
    EXPECT_EQ(voltar.Valor("comando"), "voltar");
    EXPECT_EQ(voltar.Valor("arquivos_voltaram"), "3");
    EXPECT_EQ(voltar.Valor("catalogo_incompleto"), "não");
    const std::string twice = RunUpdate({"--voltar"});
    EXPECT_NE(twice.find("A última atualização deste terminal já foi desfeita"), std::string::npos) << twice;
    EXPECT_EQ(Form().CodigoSaida, app::SaidaNadaAVoltar);
    EXPECT_EQ(TerminalText("RELAT.EXE"), "relatórios");

    // Runs leave them alone, and say so only in the log while there is nothing else to report.
    const std::string logAntes = Log();
    EXPECT_EQ(RunUpdate(), "");
    EsperaVersao("QOR7.EXE", qorVelho, "after the next run");
    EsperaVersao("pkVendas7.bpl", pacoteVelho, "after the next run");
    const std::string run = Log().substr(logAntes.size());
    EXPECT_EQ(run.find("copiado:"), std::string::npos) << run;
    EXPECT_NE(run.find("mantido na versão anterior (a atualização foi desfeita neste terminal): VENDAS.EXE"),
              std::string::npos) << run;

    const Versao vendasCorrigido{"vendas corrigido", {2024, 6, 5, 9, 0, 0}};
    Publica("VENDAS.EXE", vendasCorrigido);
    const std::string report = RunUpdate();
    EsperaVersao("VENDAS.EXE", vendasCorrigido, "once the server holds another version");
    EsperaVersao("QOR7.EXE", qorVelho, "once the server holds another version of another file");
    EXPECT_NE(report.find("Mantidos na versão anterior (a atualização foi desfeita) :"), std::string::npos) << report;
    EXPECT_NE(report.find("  Arquivo: QOR7.EXE"), std::string::npos) << report;
    EXPECT_EQ(RegistroDaFrota().Itens("arquivo_retido"), (std::vector<std::string>{"pkVendas7.bpl", "QOR7.EXE"}));

    // One step back, then no more: the last update that copied anything was VENDAS.EXE's.
    RunUpdate({"--voltar"});
    EsperaVersao("VENDAS.EXE", vendasVelho, "after the second --voltar");
    const std::string again = RunUpdate({"--voltar"});
    EXPECT_NE(again.find("A última atualização deste terminal já foi desfeita: nada foi alterado."), std::string::npos) << again;
    EXPECT_EQ(Form().CodigoSaida, app::SaidaNadaAVoltar);
    EsperaVersao("VENDAS.EXE", vendasVelho, "after a third --voltar");
}

TEST_F(VoltarRun, WithNothingKeptItSaysSoAndChangesNothing) {
    NoTerminal("QOR7.EXE", qorVelho);
    const auto antes = machine.files->stampOf(terminalFolder + "QOR7.EXE");
    const std::string box = RunUpdate({"F", "--voltar"});
    EXPECT_NE(box.find("Não há versão anterior guardada neste terminal: nada foi alterado."), std::string::npos) << box;
    EXPECT_EQ(Form().CodigoSaida, app::SaidaNadaAVoltar);
    EXPECT_EQ(machine.files->stampOf(terminalFolder + "QOR7.EXE"), antes);
    EXPECT_FALSE(fs::exists(dir / "estacao/terminal/AtualizaTerminalQOR7.acervo"));
    EXPECT_EQ(Launched(), std::vector<std::string>{"HALDENMOR7.exe"});
}

// A version that cannot be kept (links refused: another volume, FAT) leaves the copy as it was and
// the log says so; --voltar then names the file as not restored and touches nothing. A disk that
// is full while keeping leaves every file old and the earlier kept generation whole.
TEST_F(VoltarRun, AVersionThatCannotBeKeptChangesNothingInTheCopyAndIsNotRestored) {
    NoTerminal("QOR7.EXE", qorVelho);
    NoTerminal("VENDAS.EXE", vendasVelho);
    Publica("QOR7.EXE", qorNovo);
    Publica("VENDAS.EXE", vendasNovo);
    const auto nativo = machine.files;
    auto semVinculos = std::make_shared<testing_support::FaultyFileSystem>(nativo);
    semVinculos->RefuseLinks();
    machine.files = semVinculos;
    EXPECT_NE(RunUpdate().find("Arquivo: VENDAS.EXE"), std::string::npos);
    EXPECT_EQ(Form().CodigoSaida, 0);
    EsperaVersao("VENDAS.EXE", vendasNovo, "copied without keeping");
    EXPECT_NE(Log().find("versão anterior NÃO guardada (a pasta não aceita um segundo nome para o arquivo): VENDAS.EXE"),
              std::string::npos);
    machine.files = nativo;
    const std::string box = RunUpdate({"--voltar"});
    EXPECT_NE(box.find("NÃO voltaram (avise o suporte) :"), std::string::npos) << box;
    EXPECT_NE(box.find("  Arquivo: QOR7.EXE            -  a versão anterior não pôde ser guardada"), std::string::npos) << box;
    EXPECT_EQ(Form().CodigoSaida, app::SaidaArquivoNaoAtualizado);
    EsperaVersao("VENDAS.EXE", vendasNovo, "after --voltar");

    // Kept by a later update, then a full disk meets the next one.
    const Versao vendasCorrigido{"vendas corrigido", {2024, 6, 5, 9, 0, 0}}, vendasOutra{"vendas 3", {2024, 6, 9, 9, 0, 0}};
    Publica("VENDAS.EXE", vendasCorrigido);
    RunUpdate();
    Publica("VENDAS.EXE", vendasOutra);
    auto cheio = std::make_shared<testing_support::FaultyFileSystem>(nativo);
    cheio->FillDisk();
    machine.files = cheio;
    RunUpdate();
    EXPECT_EQ(Form().CodigoSaida, app::SaidaArquivoNaoAtualizado);
    EsperaVersao("VENDAS.EXE", vendasCorrigido, "after a full disk");
    EXPECT_EQ(Kept(retorno::kPendentes), std::vector<std::string>{});
    machine.files = nativo;
    RunUpdate({"--voltar"});
    EXPECT_EQ(Form().CodigoSaida, 0);
    EsperaVersao("VENDAS.EXE", vendasNovo, "the update before the full disk taken back");
}

// A record that cannot be written is told (exit status, log, the fleet's record), and the step
// back still concerns the run that could not write it, not the one before.
TEST_F(VoltarRun, ARecordThatCannotBeWrittenIsToldAndTheStepBackTakesBackThatRun) {
    fs::create_directories(dir / "rede/servidor/QOR7/TERMINAIS");
    NoTerminal("QOR7.EXE", qorVelho);
    NoTerminal("VENDAS.EXE", vendasVelho);
    Publica("QOR7.EXE", qorVelho);
    Publica("VENDAS.EXE", vendasNovo);
    RunUpdate();
    Publica("QOR7.EXE", qorNovo);
    const auto nativo = machine.files;
    auto travado = std::make_shared<testing_support::FaultyFileSystem>(nativo);
    travado->Lock("AtualizaTerminalQOR7.acervo");
    machine.files = travado;
    RunUpdate();
    EXPECT_EQ(Form().CodigoSaida, app::SaidaAcervoNaoGravado);
    EXPECT_NE(Log().find("registro do que o terminal recebeu NÃO gravado"), std::string::npos);
    EXPECT_EQ(RegistroDaFrota().Valor("acervo_nao_gravado"), "sim");
    machine.files = nativo;
    RunUpdate({"--voltar"});
    EXPECT_EQ(Form().CodigoSaida, 0);
    EsperaVersao("QOR7.EXE", qorVelho, "after --voltar");
    EsperaVersao("VENDAS.EXE", vendasNovo, "after --voltar: the run before is not taken back");
    EXPECT_EQ(RegistroDaFrota().Valor("acervo_nao_gravado"), std::nullopt);
}

// A copy that could not be finished (its time refused) is copied again by the next run; that
// repair keeps the version from before the update, so the step back gives that one back.
TEST_F(VoltarRun, ARepairOfAnUnfinishedCopyKeepsTheVersionFromBeforeTheUpdate) {
    NoTerminal("QOR7.EXE", qorVelho);
    Publica("QOR7.EXE", qorNovo);
    const auto nativo = machine.files;
    auto semHora = std::make_shared<testing_support::FaultyFileSystem>(nativo);
    semHora->RefuseTimesAndModes();
    machine.files = semHora;
    RunUpdate();
    machine.files = nativo;
    RunUpdate();
    EsperaVersao("QOR7.EXE", qorNovo, "after the repair");
    RunUpdate({"--voltar"});
    EsperaVersao("QOR7.EXE", qorVelho, "after --voltar");
}

// A read-only file keeps its attribute through keeping and the step back.
TEST_F(VoltarRun, AReadOnlyFileComesBackReadOnly) {
    NoTerminal("QOR7.EXE", qorVelho);
    machine.files->setAttributes(terminalFolder + "QOR7.EXE", platform::attr::ReadOnly);
    Publica("QOR7.EXE", qorNovo);
    RunUpdate();
    RunUpdate({"--voltar"});
    EsperaVersao("QOR7.EXE", qorVelho, "after --voltar");
    EXPECT_EQ(machine.files->attributes(terminalFolder + "QOR7.EXE").value_or(0) & platform::attr::ReadOnly,
              platform::attr::ReadOnly);
}

// A module still running when --voltar starts is ended first, as a run ends it: its file can then
// be given back (Windows refuses to replace a running program), and the server program that had
// to be ended is started again before the main module.
TEST_F(VoltarRun, ARunningModuleIsEndedFirstAndTheServerProgramComesBack) {
    // The server program's new version is a real program, so that it can run from the terminal.
    ASSERT_TRUE(testing_support::RunningProgram::CopyProgram(testing_support::utf8Of(dir / "rede/servidor/QOR7/SERVERQOR.EXE")));
    const Versao novo{dir.read("rede/servidor/QOR7/SERVERQOR.EXE"), {2024, 6, 1, 9, 0, 0}};
    const Versao velho{"servidor antigo", {2024, 3, 1, 8, 0, 0}};
    SetTime(serverFolder + "SERVERQOR.EXE", novo.hora);
    WriteCatalogue({ModuleLine("SERVERQOR.EXE", "Servidor")});
    NoTerminal("SERVERQOR.EXE", velho);
    RunUpdate();
    EsperaVersao("SERVERQOR.EXE", novo, "after the update");

    testing_support::RunningProgram servidor(terminalFolder + "SERVERQOR.EXE", testing_support::RunningProgram::AsItIs);
    ASSERT_TRUE(servidor.started());
    machine.processes = platform::makeNativePlatform().processes;
    shell->calls.clear();
    const std::string box = RunUpdate({"--voltar"});
    EXPECT_FALSE(servidor.running());
    EXPECT_EQ(Form().CodigoSaida, 0) << box;
    EsperaVersao("SERVERQOR.EXE", velho, "after --voltar");
    EXPECT_EQ(Launched(), (std::vector<std::string>{"SERVERQOR.EXE", "QOR7.exe"}));
    EXPECT_NE(Log().find("módulo encerrado: SERVERQOR.EXE"), std::string::npos);
}

// Publishes, put-backs, runs and steps back in random order, against a model of what the terminal
// must hold: a run copies each file whose server version is not the one it last took (nor one
// taken back), a step back gives back the files of the last run that copied anything.
class ModeloDoTerminal {
public:
    struct Arquivo {
        std::optional<Versao> terminal, anterior, recebida;
        Versao servidor;
        bool retida = false;
    };
    std::map<std::string, Arquivo> arquivos;
    std::set<std::string> ultimaExecucao;

    void Atualiza() {
        std::set<std::string> copiados;
        for (auto& [nome, a] : arquivos) {
            if (a.recebida == a.servidor) continue;
            a.anterior = a.terminal;
            a.terminal = a.recebida = a.servidor;
            a.retida = false;
            copiados.insert(nome);
        }
        if (!copiados.empty()) ultimaExecucao = copiados;
    }
    int Volta() {
        bool algum = false, pendente = false;
        for (const std::string& nome : ultimaExecucao) {
            Arquivo& a = arquivos[nome];
            if (a.retida) continue;
            pendente = true;
            if (!a.anterior) continue;
            std::swap(a.terminal, a.anterior);
            a.retida = algum = true;
        }
        (void)pendente;
        return algum ? app::SaidaNormal : app::SaidaNadaAVoltar;
    }
};

TEST_F(VoltarRun, RandomPublishesRunsAndStepsBackFollowASimpleModel) {
    const std::vector<std::string> nomes = {"QOR7.EXE", "VENDAS.EXE", "RELAT.EXE", "pkVendas7.bpl"};
    for (unsigned semente : {1u, 2u, 3u}) {
        fs::remove_all(dir / "estacao/terminal");
        fs::create_directories(dir / "estacao/terminal");
        WriteSettings();
        std::mt19937 acaso(semente);
        ModeloDoTerminal modelo;
        int hora = 0;
        std::vector<Versao> publicadas;
        auto nova = [&](const std::string& nome) {
            ++hora;
            publicadas.push_back({nome + " v" + std::to_string(hora) + std::string(acaso() % 50, '#'),
                                  {2024, 1 + hora / 500, 1 + hora / 24 % 20, hora % 24, 0, 0}});
            return publicadas.back();
        };
        for (const std::string& nome : nomes) {
            Publica(nome, modelo.arquivos[nome].servidor = nova(nome));
            if (nome == "RELAT.EXE") continue;  // new to the terminal
            const Versao local{"antigo " + nome, {2023, 5, 1, 8, 0, 0}};
            NoTerminal(nome, local);
            modelo.arquivos[nome].terminal = local;
        }
        for (int passo = 0; passo < 30 && !HasFailure(); ++passo) {
            const std::string quando = "seed " + std::to_string(semente) + " step " + std::to_string(passo);
            const unsigned acao = acaso() % 8;
            if (acao < 3) {
                const std::string& nome = nomes[acaso() % nomes.size()];
                // Mostly a new build; now and then an earlier one put back.
                Versao v = acao == 0 && publicadas.size() > 1 ? publicadas[acaso() % publicadas.size()] : nova(nome);
                if (v.conteudo.rfind(nome, 0) != 0) v = nova(nome);
                Publica(nome, modelo.arquivos[nome].servidor = v);
            }
            if (acao < 6) {
                RunUpdate();
                modelo.Atualiza();
                EXPECT_EQ(Form().CodigoSaida, 0) << quando;
            } else {
                const int esperado = modelo.Volta();
                const std::string box = RunUpdate({"--voltar"});
                EXPECT_EQ(Form().CodigoSaida, esperado) << quando << "\n" << box;
            }
            for (const auto& [nome, a] : modelo.arquivos)
                if (a.terminal) EsperaVersao(nome, *a.terminal, quando);
            EXPECT_LE(Kept(retorno::kGuardadas).size(), nomes.size()) << quando;
            EXPECT_EQ(Kept(retorno::kPendentes), std::vector<std::string>{}) << quando;
        }
    }
}

}  // namespace
