// The state record that each run leaves in the server's TERMINAIS folder: a started record first,
// the final one on every path, and nothing changed in the run when it cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ultima_guarda.h"
#include "frota/leitura.h"
#include "frota/nome.h"
#include "frota/painel.h"
#include "platform/forwarding_file_system.h"
#include "run_fixture.h"
#include "support/faulty_file_system.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

// Keeps what the records' folder held when the run started its module: the run was not over yet.
class FormQueOlhaAPasta : public app::TFrmAtuModulo {
public:
    FormQueOlhaAPasta(ui::Application& application, platform::Platform platform, fs::path pasta)
        : app::TFrmAtuModulo(application, std::move(platform)), pasta_(std::move(pasta)) {}
    std::vector<std::string> registrosNoLancamento;

protected:
    uintptr_t ExecutaPrograma(const std::string& arquivo) override {
        for (const auto& e : fs::is_directory(pasta_) ? fs::directory_iterator(pasta_) : fs::directory_iterator()) {
            std::ifstream in(e.path(), std::ios::binary);
            registrosNoLancamento.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return app::TFrmAtuModulo::ExecutaPrograma(arquivo);
    }

private:
    fs::path pasta_;
};

// Refuses to create any file in the records' folder: a share that cannot be written there.
class PastaSomenteLeitura : public platform::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::unique_ptr<platform::File> createExclusive(const std::string& path) override {
        return path.find("TERMINAIS") == std::string::npos ? ForwardingFileSystem::createExclusive(path) : nullptr;
    }
};

class FrotaRun : public app_test::RunTest {
protected:
    FrotaRun() {
        WriteSettings();
        fs::create_directories(Pasta());
        makeForm = [this](ui::Application& application, platform::Platform platform) {
            auto janela = std::make_unique<FormQueOlhaAPasta>(application, std::move(platform), Pasta());
            olhador = janela.get();
            return janela;
        };
    }
    fs::path Pasta() const { return dir / "rede/servidor/QOR7/TERMINAIS"; }
    std::vector<std::string> Arquivos() const {
        std::vector<std::string> nomes;
        if (fs::is_directory(Pasta()))
            for (const auto& e : fs::directory_iterator(Pasta())) nomes.push_back(e.path().filename().string());
        return nomes;
    }
    // The one record in the folder, read as the administrator's command reads it.
    frota::RegistroLido Registro() const {
        const std::vector<std::string> nomes = Arquivos();
        EXPECT_EQ(nomes.size(), 1u);
        if (nomes.size() != 1) return frota::RegistroLido({});
        const auto lido = frota::LeRegistro(dir.read("rede/servidor/QOR7/TERMINAIS/" + nomes[0]));
        EXPECT_TRUE(lido);
        return lido.value_or(frota::RegistroLido({}));
    }
    FormQueOlhaAPasta* olhador = nullptr;
};

TEST_F(FrotaRun, ANormalRunSaysItStartedThenHowItEnded) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema"), ModuleLine("VENDAS.EXE", "Vendas")});
    Server("QOR7.EXE", "novo");
    Server("VENDAS.EXE", "nova versão");
    RunUpdate();
    ASSERT_EQ(olhador->registrosNoLancamento.size(), 1u);
    const auto durante = frota::LeRegistro(olhador->registrosNoLancamento[0]);
    ASSERT_TRUE(durante);
    EXPECT_EQ(durante->Valor("situacao"), "em andamento");
    EXPECT_FALSE(durante->Valor("fim"));

    const frota::RegistroLido fim = Registro();
    const std::string maquina = platform::makeNativePlatform().system->machineName().value_or("");
    EXPECT_FALSE(maquina.empty());
    EXPECT_EQ(Arquivos(), std::vector<std::string>{frota::NomeDoRegistro(maquina, terminalFolder)});
    EXPECT_EQ(fim.Valor("maquina"), maquina);
    EXPECT_EQ(fim.Valor("situacao"), "normal");
    EXPECT_EQ(fim.Valor("codigo_saida"), "0");
    EXPECT_EQ(fim.Valor("copiados"), "2");
    EXPECT_EQ(fim.Valor("copiados_bytes"), std::to_string(4 + 12));
    EXPECT_EQ(fim.Valor("arquivos_atrasados"), "0");
    EXPECT_EQ(fim.Valor("catalogo_incompleto"), "não");
    EXPECT_TRUE(fim.Valor("fim"));
    EXPECT_NE(fim.Valor("catalogo").value_or("").find("MODULOS.DAT"), std::string::npos);
    EXPECT_TRUE(fim.Valor("catalogo_tamanho"));
}

TEST_F(FrotaRun, TheFailurePathRecordsWhyAndThatTheCatalogueWasNotChecked) {
    RunUpdate();  // no catalogue on the server
    const frota::RegistroLido fim = Registro();
    EXPECT_EQ(fim.Valor("situacao"), "falha");
    EXPECT_EQ(fim.Valor("codigo_saida"), "1");
    EXPECT_NE(fim.Valor("falha").value_or("").find("Catálogo de módulos não encontrado"), std::string::npos);
    EXPECT_EQ(fim.Valor("catalogo_incompleto"), "sim");
}

TEST_F(FrotaRun, AFileThatStayedOldIsListedAsBehindTheServer) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema"), ModuleLine("VENDAS.EXE", "Vendas")});
    Server("QOR7.EXE", "novo");
    Server("VENDAS.EXE", "nova");
    auto faulty = std::make_shared<testing_support::FaultyFileSystem>(machine.files);
    faulty->MakeUnreadable("VENDAS.EXE");
    machine.files = faulty;
    RunUpdate();
    const frota::RegistroLido fim = Registro();
    EXPECT_EQ(fim.Valor("situacao"), "normal");
    EXPECT_EQ(fim.Valor("codigo_saida"), "2");
    EXPECT_EQ(fim.Itens("arquivo_atrasado"), std::vector<std::string>{"VENDAS.EXE"});
    EXPECT_EQ(fim.Itens("modulo_antigo"), std::vector<std::string>{"VENDAS.EXE"});
    EXPECT_EQ(fim.Valor("copiados"), "1");
}

TEST_F(FrotaRun, AShareThatRefusesTheRecordChangesNothingInTheRun) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema")});
    Server("QOR7.EXE", "novo");
    machine.files = std::make_shared<PastaSomenteLeitura>(machine.files);
    const std::string out = RunUpdate();
    EXPECT_EQ(Form().CodigoSaida, 0);
    EXPECT_NE(out.find("Arquivo: QOR7.EXE"), std::string::npos);
    EXPECT_EQ(Launched(), std::vector<std::string>{"QOR7.exe"});
    EXPECT_TRUE(Arquivos().empty());
    EXPECT_NE(TerminalText("AtualizaTerminalQOR7.log").find("registro do terminal NÃO gravado"), std::string::npos);
}

TEST_F(FrotaRun, WithoutTheFolderNoRecordIsWritten) {
    fs::remove(Pasta());
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema")});
    Server("QOR7.EXE", "novo");
    RunUpdate();
    EXPECT_EQ(Form().CodigoSaida, 0);
    EXPECT_FALSE(fs::exists(Pasta()));
}

// The record is written whole by every run: the last success comes forward from the previous
// record, through failed runs, and a value that is not exactly a time is dropped.
TEST_F(FrotaRun, TheLastSuccessIsCarriedThroughFailedRunsAndAForgedOneIsDropped) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema"), ModuleLine("VENDAS.EXE", "Vendas")});
    Server("QOR7.EXE", "novo");
    Server("VENDAS.EXE", "nova");
    RunUpdate();
    const std::optional<std::string> sucesso = Registro().Valor("ultimo_sucesso_utc");
    ASSERT_TRUE(sucesso);
    EXPECT_EQ(sucesso, Registro().Valor("fim_utc"));
    Server("VENDAS.EXE", "mais nova");
    auto faulty = std::make_shared<testing_support::FaultyFileSystem>(machine.files);
    faulty->MakeUnreadable("VENDAS.EXE");
    machine.files = faulty;
    RunUpdate();
    EXPECT_EQ(Registro().Valor("codigo_saida"), "2");
    EXPECT_EQ(Registro().Valor("ultimo_sucesso_utc"), sucesso);
    const std::string nome = "rede/servidor/QOR7/TERMINAIS/" + Arquivos()[0];
    std::string forjado = dir.read(nome);
    const std::string campo = "ultimo_sucesso_utc=" + *sucesso;
    ASSERT_NE(forjado.find(campo), std::string::npos);
    forjado.replace(forjado.find(campo), campo.size(), "ultimo_sucesso_utc=2026-13-01T00:00:00Z");
    dir.write(nome, forjado);
    RunUpdate();
    EXPECT_FALSE(Registro().Valor("ultimo_sucesso_utc"));
}

// A box that waits for the user (here the report, before the module starts) refreshes the
// in-progress record first: hours later the run reads as waiting, not as one that never ended.
TEST_F(FrotaRun, ARunWaitingAtABoxSaysSoAndIsNotTakenForDead) {
    WriteCatalogue({ModuleLine("QOR7.EXE", "Sistema")});
    Server("QOR7.EXE", "novo");
    RunUpdate();
    ASSERT_EQ(olhador->registrosNoLancamento.size(), 1u);
    const auto noLancamento = frota::LeRegistro(olhador->registrosNoLancamento[0]);
    ASSERT_TRUE(noLancamento);
    EXPECT_EQ(noLancamento->Valor("situacao"), "em andamento");
    EXPECT_TRUE(noLancamento->Valor("aguardando_resposta"));
    const std::time_t agora = std::time(nullptr);
    const auto terminal = frota::Classifica(Arquivos()[0], *noLancamento, agora - 3 * 3600, {agora, 24});
    ASSERT_TRUE(terminal);
    EXPECT_EQ(terminal->grupo, frota::Grupo::EmAndamento);
    EXPECT_NE(terminal->detalhe.find("esperando resposta"), std::string::npos);
    EXPECT_EQ(Registro().Valor("situacao"), "normal");  // and the final record replaces it
}

TEST_F(FrotaRun, TheLastGuardLeavesAFailureRecord) {
    ::testing::internal::CaptureStdout();
    app::UltimaGuarda(&application, nullptr, machine);
    ::testing::internal::GetCapturedStdout();
    const frota::RegistroLido fim = Registro();
    EXPECT_EQ(fim.Valor("situacao"), "falha");
    EXPECT_EQ(fim.Valor("codigo_saida"), "1");
    EXPECT_NE(fim.Valor("falha").value_or("").find("Ocorreram erros na Atualização do Módulo"), std::string::npos);
}

}  // namespace
