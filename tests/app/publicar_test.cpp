// --publicar run for real: the build lands whole with its times and attributes and a manifest
// that names every file's SHA-256; the same build again moves nothing; other bytes with the same
// size and time are published; a second publish and a build without a catalogue are refused.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <map>

#include "publicar_fixture.h"
#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;
using publicar_test::Arquivo;

class Publicar : public ::testing::Test {
protected:
    Publicar() {
        fs::create_directories(dir / "admin");
        fs::create_directories(Servidor());
        fs::copy_file(ATUALIZA_EXE, Programa());
        publicar_test::Grava(*files, dir / "versao", versao);
    }
    std::string Programa() const { return (dir / "admin" / fs::path(ATUALIZA_EXE).filename()).string(); }
    fs::path Servidor() const { return dir / "servidor/QOR7"; }
    testing_support::ChildResult Publica(const fs::path& origem) const {
#ifdef _WIN32
        dir.write("saida.txt", "");  // a window program's output does not reach the test there
        return testing_support::RunAndWait(Programa(), {"--publicar", origem.string(), Servidor().string()},
                                           (dir / "admin").string(), 60);
#else
        return testing_support::RunAndWait(Programa(), {"--publicar", origem.string(), Servidor().string()},
                                           (dir / "admin").string(), 30, {(dir / "saida.txt").string(), true});
#endif
    }
    // The console's words, where the test can read them.
    void Diz(const std::string& texto) const {
#ifndef _WIN32
        EXPECT_NE(dir.read("saida.txt").find(texto), std::string::npos) << dir.read("saida.txt");
#else
        (void)texto;
#endif
    }
    std::vector<std::string> Temporarios() const {
        std::vector<std::string> achados;
        for (const auto& e : fs::recursive_directory_iterator(Servidor()))
            if (e.path().filename().string().starts_with("~")) achados.push_back(e.path().string());
        return achados;
    }
    // When each server file was last changed in any way (its data, its name, its attributes).
    std::map<std::string, std::pair<int64_t, int64_t>> Mudancas() const {
        std::map<std::string, std::pair<int64_t, int64_t>> vistos;
        for (const auto& e : fs::recursive_directory_iterator(Servidor())) {
#ifdef _WIN32
            vistos[e.path().string()] = {files->stampOf(e.path().string()).value_or(platform::FileStamp{}).lastWrite,
                                         files->attributes(e.path().string()).value_or(0)};
#else
            struct stat st {};
            ::stat(e.path().c_str(), &st);
            vistos[e.path().string()] = {static_cast<int64_t>(st.st_ino), st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
#endif
        }
        return vistos;
    }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
    publicar_test::Versao versao = {
        {"QOR7.EXE", publicar_test::Padrao(2500000, 'a'), {2024, 5, 1, 10, 0, 2}},
        {"PKREL.BPL", publicar_test::Padrao(3000, 'b'), {2024, 5, 1, 10, 0, 4}},
        {"Relatórios/REL.EXE", "relatorio", {2024, 5, 1, 10, 0, 6}, true},
        {"TABDEF/MODULOS.DAT", "QOR7.EXE\r\n", {2024, 5, 1, 10, 0, 8}},
    };
};

TEST_F(Publicar, TheBuildLandsWholeWithItsManifestAndTheSameBuildAgainMovesNothing) {
    ASSERT_EQ(Publica(dir / "versao").exitStatus, 0) << dir.read("saida.txt");
    for (const Arquivo& a : versao) EXPECT_TRUE(publicar_test::Tem(*files, Servidor(), a)) << a.nome;
    EXPECT_TRUE(*files->attributes(testing_support::utf8Of(Servidor() / testing_support::pathFromUtf8("Relatórios/REL.EXE"))) & platform::attr::ReadOnly);
    const auto manifesto = identidade::LeManifesto(*files, Servidor().string());
    ASSERT_TRUE(manifesto);
    EXPECT_EQ(manifesto->numero, 1u);
    ASSERT_EQ(manifesto->Arquivos().size(), versao.size());
    for (const Arquivo& a : versao) {
        const identidade::ArquivoPublicado* p = manifesto->Procura(a.nome);
        ASSERT_TRUE(p) << a.nome;
        EXPECT_EQ(p->sha256, identidade::Sha256Of(a.conteudo)) << a.nome;
        EXPECT_EQ(p->stamp, files->stampOf(testing_support::utf8Of(Servidor() / testing_support::pathFromUtf8(a.nome)))) << a.nome;
    }
    EXPECT_EQ(manifesto->Arquivos().back().nome, "TABDEF\\MODULOS.DAT") << "the catalogue goes last";
    EXPECT_FALSE(fs::exists(Servidor() / "TABDEF" / std::string(identidade::kNomeAnuncio)));
    EXPECT_EQ(Temporarios(), std::vector<std::string>{});
    Diz("Publicação 1 concluída: 4 de 4 arquivos");

    const auto antes = Mudancas();
    ASSERT_EQ(Publica(dir / "versao").exitStatus, 0);
    EXPECT_EQ(Mudancas(), antes) << "nothing on the server changed";
    Diz("Nada a publicar");

    // Other bytes, the same size and time: the bytes decide.
    publicar_test::Versao outra = versao;
    outra[1].conteudo[100] ^= 1;
    publicar_test::Grava(*files, dir / "versao", {outra[1]});
    ASSERT_EQ(Publica(dir / "versao").exitStatus, 0) << dir.read("saida.txt");
    EXPECT_TRUE(publicar_test::Tem(*files, Servidor(), outra[1]));
    const auto segundo = identidade::LeManifesto(*files, Servidor().string());
    ASSERT_TRUE(segundo);
    EXPECT_EQ(segundo->numero, 2u);
    EXPECT_EQ(segundo->Procura("PKREL.BPL")->sha256, identidade::Sha256Of(outra[1].conteudo));
    Diz("1 de 4 arquivos");
}

TEST_F(Publicar, ASecondPublishABuildWithoutCatalogueAndABadCommandLineAreRefusedTouchingNothing) {
    fs::create_directories(Servidor() / "TABDEF");
    {
        const platform::LockResult trava =
            files->lockExclusive((Servidor() / "TABDEF" / std::string(identidade::kNomeTrava)).string());
        ASSERT_EQ(trava.outcome, platform::LockOutcome::Taken);
        EXPECT_EQ(Publica(dir / "versao").exitStatus, 2);
        Diz("outra publicação");
    }
    EXPECT_FALSE(fs::exists(Servidor() / "QOR7.EXE"));
    fs::remove(dir / "versao/TABDEF/MODULOS.DAT");
    EXPECT_EQ(Publica(dir / "versao").exitStatus, 3);
    Diz("MODULOS.DAT");
    EXPECT_FALSE(fs::exists(Servidor() / "QOR7.EXE"));
    EXPECT_EQ(testing_support::RunAndWait(Programa(), {"--publicar"}, (dir / "admin").string(), 30).exitStatus, 3);
}

}  // namespace
