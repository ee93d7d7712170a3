// --publicar killed (SIGKILL, as a power cut ends it) at every moment where it changes a file on
// the server. After each kill every file of the build is its old version or its new one, whole and
// with its time; the terminals are served one build (either the announcement stands, so they
// leave the build alone, or the server holds the old build with its manifest or the new one with
// its own); and the same publish run again finishes it, leaving nothing behind.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <iostream>
#include <thread>

#include "platform/temporary_names.h"
#include "publicar_fixture.h"
#include "support/child_process.h"
#include "support/syscall_stops.h"

namespace {

namespace fs = std::filesystem;
using publicar_test::Arquivo;
using publicar_test::Versao;

void CopiaArvore(const fs::path& de, const fs::path& para) {
    fs::remove_all(para);
    fs::create_directories(para);
    for (const auto& e : fs::recursive_directory_iterator(de)) {
        const fs::path alvo = para / fs::relative(e.path(), de);
        if (e.is_directory()) {
            fs::create_directories(alvo);
            continue;
        }
        fs::copy_file(e.path(), alvo);
        fs::last_write_time(alvo, fs::last_write_time(e.path()));
    }
}

class PublicarKill : public ::testing::Test {
protected:
    static constexpr int kLanes = 8;
    PublicarKill() {
        publicar_test::Grava(*files, dir / "velha", velha);
        publicar_test::Grava(*files, dir / "nova", nova);
        fs::create_directories(dir / "inicio");
        for (int lane = 0; lane < kLanes; ++lane) {
            fs::create_directories(Admin(lane));
            fs::copy_file(ATUALIZA_EXE, Programa(lane));
        }
        // The server as the old build's publish left it, manifest included.
        EXPECT_EQ(Publica(0, dir / "velha", dir / "inicio").exitStatus, 0);
    }
    fs::path Admin(int lane) const { return dir / ("admin" + std::to_string(lane)); }
    std::string Programa(int lane) const { return (Admin(lane) / fs::path(ATUALIZA_EXE).filename()).string(); }
    fs::path Servidor(int lane) const { return dir / ("servidor" + std::to_string(lane)); }
    std::vector<std::string> Args(int lane) const { return {"--publicar", (dir / "nova").string(), Servidor(lane).string()}; }
    testing_support::ChildResult Publica(int lane, const fs::path& origem, const fs::path& destino) const {
        return testing_support::RunAndWait(Programa(lane), {"--publicar", origem.string(), destino.string()},
                                           Admin(lane).string(), 30);
    }
    const Arquivo* De(const Versao& v, const std::string& nome) const {
        for (const Arquivo& a : v)
            if (a.nome == nome) return &a;
        return nullptr;
    }
    // Every file old or new, whole; and what the terminals are served is one build.
    void EsperaUmaVersao(int lane, const std::string& quando) const {
        bool todasVelhas = true, todasNovas = true;
        for (const Arquivo& a : nova) {
            const Arquivo* antiga = De(velha, a.nome);
            const bool ehNova = publicar_test::Tem(*files, Servidor(lane), a);
            const bool ehVelha = antiga ? publicar_test::Tem(*files, Servidor(lane), *antiga) : !fs::exists(Servidor(lane) / a.nome);
            EXPECT_TRUE(ehNova || ehVelha) << a.nome << " is a mixture " << quando;
            todasNovas = todasNovas && ehNova;
            todasVelhas = todasVelhas && ehVelha;
        }
        const auto manifesto = identidade::LeManifesto(*files, Servidor(lane).string());
        ASSERT_TRUE(manifesto) << "the manifest is always whole " << quando;
        if (identidade::PublicacaoAnunciada(*files, Servidor(lane).string(), std::time(nullptr))) return;
        EXPECT_TRUE((todasVelhas && manifesto->numero == 1) || (todasNovas && manifesto->numero == 2))
            << "without the announcement the server serves a mixture " << quando;
    }
    void EsperaTerminada(int lane) const {
        for (const Arquivo& a : nova) EXPECT_TRUE(publicar_test::Tem(*files, Servidor(lane), a)) << a.nome;
        const auto manifesto = identidade::LeManifesto(*files, Servidor(lane).string());
        ASSERT_TRUE(manifesto);
        EXPECT_EQ(manifesto->numero, 2u);
        EXPECT_FALSE(fs::exists(Servidor(lane) / "TABDEF" / std::string(identidade::kNomeAnuncio)));
        for (const auto& e : fs::recursive_directory_iterator(Servidor(lane)))
            EXPECT_FALSE(platform::IsTemporaryName(e.path().filename().string())) << e.path();
    }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
    const Versao velha = {
        {"QOR7.EXE", publicar_test::Padrao(30000, 'a'), {2024, 1, 5, 8, 0, 0}},
        {"PKREL.BPL", publicar_test::Padrao(3000, 'b'), {2024, 1, 5, 8, 0, 0}},
        {"ESTOQUE.EXE", "igual", {2024, 1, 5, 8, 0, 0}, true},
        {"TABDEF/MODULOS.DAT", "QOR7.EXE\r\n", {2024, 1, 5, 8, 0, 0}},
    };
    const Versao nova = {
        // Larger than a few steps of the copy, so that its data moves in several calls.
        {"QOR7.EXE", publicar_test::Padrao(2600000, 'A'), {2024, 5, 1, 10, 0, 2}},
        {"PKREL.BPL", publicar_test::Padrao(3000, 'B'), {2024, 1, 5, 8, 0, 0}},  // other bytes, same size and time
        {"ESTOQUE.EXE", "igual", {2024, 1, 5, 8, 0, 0}, true},
        {"Relatórios/REL.EXE", "novo", {2024, 5, 1, 10, 0, 6}, true},
        {"TABDEF/MODULOS.DAT", "QOR7.EXE\r\nREL.EXE\r\n", {2024, 5, 1, 10, 0, 8}},
    };
};

TEST_F(PublicarKill, EveryKillLeavesOneBuildServedAndTheSamePublishAgainFinishesIt) {
    if (!testing_support::CanTraceSystemCalls()) GTEST_SKIP() << "system calls cannot be traced here";
    CopiaArvore(dir / "inicio", Servidor(0));
    const testing_support::TracedRun referencia =
        testing_support::RunTraced(Programa(0), Admin(0).string(), {}, nullptr, 30, Args(0));
    ASSERT_EQ(referencia.exitStatus, 0);
    EsperaTerminada(0);
    std::vector<testing_support::CallMoment> momentos;
    for (size_t i = 0; i < referencia.calls.size(); ++i) momentos.insert(momentos.end(), {{i, false}, {i, true}});
    ASSERT_GE(momentos.size(), 30u);
    std::cout << "(killing the publish at " << momentos.size() << " moments)\n";
    auto mataEmCada = [&](int lane) {
        for (size_t m = static_cast<size_t>(lane); m < momentos.size() && !HasFailure(); m += kLanes) {
            CopiaArvore(dir / "inicio", Servidor(lane));
            testing_support::RunTraced(Programa(lane), Admin(lane).string(), {momentos[m]},
                                       [](const testing_support::CallMoment&) { return true; }, 30, Args(lane));
            const std::string quando = "after a kill " + std::string(momentos[m].after ? "after " : "before ") +
                                       referencia.calls[momentos[m].index].name + " #" + std::to_string(momentos[m].index);
            EsperaUmaVersao(lane, quando);
            ASSERT_EQ(Publica(lane, dir / "nova", Servidor(lane)).exitStatus, 0) << quando;
            EsperaTerminada(lane);
        }
    };
    std::vector<std::thread> lanes;
    for (int lane = 0; lane < kLanes; ++lane) lanes.emplace_back(mataEmCada, lane);
    for (std::thread& lane : lanes) lane.join();
}

}  // namespace

#endif
