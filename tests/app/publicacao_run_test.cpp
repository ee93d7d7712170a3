// Update runs against a server that --publicar filled: copies checked by the manifest's SHA-256
// before they replace anything (a server file changed after the publish with its size and time
// kept is never installed, and is told), other bytes republished under the same size and time
// reach the terminal, the record and the fleet learn the publication held, an unchanged server
// moves nothing, and a publish under way is left alone until its announcement goes stale.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "acervo/arquivo.h"
#include "app/exit_status.h"
#include "app/verificar.h"
#include "identidade/manifesto.h"
#include "publicacao/publica.h"
#include "publicar_fixture.h"
#include "run_fixture.h"

namespace {

namespace fs = std::filesystem;
using app_test::ModuleLine;

class PublicacaoRun : public app_test::RunTest {
protected:
    PublicacaoRun() {
        WriteSettings();
        fs::create_directories(dir / "rede/servidor/QOR7/TERMINAIS");
        versao = {
            {"QOR7.EXE", publicar_test::Padrao(40000, 'q'), {2024, 5, 1, 10, 0, 0}},
            {"ESTOQUE.EXE", publicar_test::Padrao(30000, 'e'), {2024, 5, 1, 10, 0, 0}},
            {"pkBase7.bpl", publicar_test::Padrao(20000, 'p'), {2024, 5, 1, 10, 0, 0}},
            {"TABDEF/MODULOS.DAT", ModuleLine("QOR7.EXE", "Principal") + "\r\n" + ModuleLine("ESTOQUE.EXE", "Estoque") +
                                       "\r\npkBase7.bpl\r\n", {2024, 5, 1, 10, 0, 0}},
        };
    }
    void Publica() {
        publicar_test::Grava(*machine.files, dir / "versao", versao);
        const publicacao::Resultado r = publicacao::Publica(*machine.files, {(dir / "versao").string(), serverFolder, "teste"}, {});
        ASSERT_TRUE(r.desfecho == publicacao::Desfecho::Publicada) << r.motivo;
    }
    // Another byte in the server's file, its size and time kept.
    void Adultera(const std::string& nome) {
        const std::string caminho = (dir / "rede/servidor/QOR7" / nome).string();
        const std::optional<uint32_t> hora = machine.files->lastWriteDos(caminho);
        {
            std::fstream f(caminho, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(1234);
            f.put('#');
        }
        std::unique_ptr<platform::File> f = machine.files->openRead(caminho);
        ASSERT_TRUE(f && f->setLastWriteDos(*hora));
    }
    std::string Frota() const {
        for (const auto& e : fs::directory_iterator(dir / "rede/servidor/QOR7/TERMINAIS"))
            if (e.path().extension() == ".txt") return publicar_test::Le(e.path());
        return "";
    }
    std::string Log() const { return dir.read("estacao/terminal/AtualizaTerminalQOR7.log"); }
    publicar_test::Versao versao;
};

TEST_F(PublicacaoRun, ACopyTheManifestRefusesIsNeverInstalledAndRepublishedBytesUnderTheSameStampArrive) {
    Publica();
    RunUpdate();
    for (const auto& a : versao) {
        if (a.nome != "TABDEF/MODULOS.DAT") {
            EXPECT_EQ(TerminalText(a.nome), a.conteudo) << a.nome;
        }
    }
    acervo::Acervo registro = acervo::Le(*machine.files, terminalFolder);
    EXPECT_EQ(registro.Publicacao(), 1u);
    ASSERT_TRUE(registro.Procura("ESTOQUE.EXE") && registro.Procura("ESTOQUE.EXE")->sha256);
    EXPECT_EQ(*registro.Procura("ESTOQUE.EXE")->sha256, identidade::Sha256Of(versao[1].conteudo));
    EXPECT_NE(Frota().find("publicacao=1\r\n"), std::string::npos) << Frota();

    // The terminal holds an older ESTOQUE.EXE; the server's changed after the publish.
    SetTime(Terminal("ESTOQUE.EXE", "antigo"), {2023, 1, 1, 8, 0, 0});
    Adultera("ESTOQUE.EXE");
    const std::string caixas = RunUpdate();
    EXPECT_EQ(TerminalText("ESTOQUE.EXE"), "antigo") << "never installed";
    EXPECT_EQ(Form().CodigoSaida & app::SaidaArquivoNaoAtualizado, app::SaidaArquivoNaoAtualizado);
    EXPECT_NE(caixas.find("ESTOQUE.EXE"), std::string::npos) << caixas;
    EXPECT_NE(Log().find("não confere com o SHA-256 do manifesto da publicação 1"), std::string::npos) << Log();
    EXPECT_NE(Frota().find("arquivo_conteudo_recusado=ESTOQUE.EXE"), std::string::npos) << Frota();
    for (const auto& e : fs::directory_iterator(dir / "estacao/terminal"))
        EXPECT_FALSE(e.path().filename().string().starts_with("~")) << e.path();

    // Republished whole: other bytes under the same size and time, a module and a package.
    versao[0].conteudo[77] ^= 1;
    versao[2].conteudo[99] ^= 1;
    Publica();
    RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), versao[0].conteudo);
    EXPECT_EQ(TerminalText("pkBase7.bpl"), versao[2].conteudo);
    EXPECT_EQ(TerminalText("ESTOQUE.EXE"), versao[1].conteudo);
    EXPECT_EQ(Form().CodigoSaida, 0);
    EXPECT_EQ(acervo::Le(*machine.files, terminalFolder).Publicacao(), 2u);

    // An unchanged server: no copy, the package left in place.
    const auto ligacoes = fs::hard_link_count(dir / "estacao/terminal/pkBase7.bpl");
    const std::string antes = Log();
    RunUpdate();
    const std::string agora = Log().substr(antes.size());
    EXPECT_EQ(agora.find("copiado:"), std::string::npos) << agora;
    EXPECT_EQ(fs::hard_link_count(dir / "estacao/terminal/pkBase7.bpl"), ligacoes);
    EXPECT_EQ(TerminalText("pkBase7.bpl"), versao[2].conteudo);
}

TEST_F(PublicacaoRun, APublishUnderWayIsLeftAloneUntilItsAnnouncementIsStale) {
    Publica();
    RunUpdate();
    // Half way through the next publish: the announcement stands and one file is new.
    const std::string anuncio = (dir / "rede/servidor/QOR7/TABDEF" / std::string(identidade::kNomeAnuncio)).string();
    dir.write(fs::relative(anuncio, dir.path()).string(), "maquina=teste\r\n");
    SetTime(Server("QOR7.EXE", "nova, no meio da publicação"), {2024, 6, 1, 9, 0, 0});
    SetTime(Server("pkBase7.bpl", "pacote novo"), {2024, 6, 1, 9, 0, 0});
    RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), versao[0].conteudo);
    EXPECT_EQ(TerminalText("pkBase7.bpl"), versao[2].conteudo) << "the clean-up leaves the packages too";
    EXPECT_EQ(Form().CodigoSaida, 0);
    EXPECT_NE(Log().find("publicação em andamento no servidor"), std::string::npos);
    EXPECT_NE(Frota().find("publicacao_em_andamento=sim"), std::string::npos) << Frota();

    // A publish that died long ago: its announcement no longer holds the terminal back.
    fs::last_write_time(anuncio, fs::file_time_type::clock::now() - std::chrono::hours(1));
    RunUpdate();
    EXPECT_EQ(TerminalText("QOR7.EXE"), "nova, no meio da publicação");
}

TEST_F(PublicacaoRun, AByteChangedOnTheTerminalIsNamedAloneByVerificarAndMendedByReparar) {
    Publica();
    RunUpdate();
    const auto verifica = [this](const char* comando) { return *app::ComandoVerificar({"prog", comando}, machine); };
    EXPECT_EQ(verifica("--verificar").codigo, app::VerificarConfere) << verifica("--verificar").texto;

    // The disk (or a person) changed a byte, the size and the time kept.
    const std::string caminho = terminalFolder + "ESTOQUE.EXE";
    const std::optional<uint32_t> hora = machine.files->lastWriteDos(caminho);
    {
        std::fstream f(caminho, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(500);
        f.put('!');
    }
    ASSERT_TRUE(machine.files->openRead(caminho)->setLastWriteDos(*hora));
    const app::ResultadoVerificar v = verifica("--verificar");
    EXPECT_EQ(v.codigo, app::VerificarDifere);
    EXPECT_NE(v.texto.find("ESTOQUE.EXE: difere em conteúdo\n"), std::string::npos) << v.texto;
    EXPECT_EQ(v.texto.find("QOR7.EXE"), std::string::npos) << v.texto;
    EXPECT_EQ(v.texto.find("pkBase7"), std::string::npos) << v.texto;

    const app::ResultadoVerificar r = verifica("--reparar");
    EXPECT_EQ(r.codigo, app::VerificarConfere) << r.texto;
    EXPECT_NE(r.texto.find("reparado: ESTOQUE.EXE"), std::string::npos) << r.texto;
    EXPECT_EQ(TerminalText("ESTOQUE.EXE"), versao[1].conteudo);
    EXPECT_EQ(verifica("--verificar").codigo, app::VerificarConfere) << verifica("--verificar").texto;
    EXPECT_EQ(RunUpdate(), "") << "the next run finds nothing to copy";
}

}  // namespace
