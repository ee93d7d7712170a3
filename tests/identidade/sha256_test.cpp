// SHA-256 against the published test vectors, the processor's instructions against the portable
// code on random inputs fed in random pieces, and files against the system's sha256sum.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "identidade/sha256.h"
#include "support/temp_dir.h"

namespace {

using identidade::Calculo;

std::string Hex(std::string_view bytes, Calculo calculo) { return identidade::TextoDoResumo(identidade::Sha256Of(bytes, calculo)); }

TEST(Sha256, GivesThePublishedVectorsBothWays) {
    const std::pair<std::string, std::string> vetores[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [entrada, esperado] : vetores) {
        EXPECT_EQ(Hex(entrada, Calculo::Portatil), esperado) << entrada.size();
        EXPECT_EQ(Hex(entrada, Calculo::Automatico), esperado) << entrada.size();
    }
    if (!identidade::InstrucoesNativas()) std::printf("(this processor has no SHA instructions)\n");
}

TEST(Sha256, AnySplitOfTheInputGivesTheSameDigestAsTheWholeOnBothPaths) {
    std::mt19937 random(27);
    for (int caso = 0; caso < 200; ++caso) {
        std::string bytes(random() % 700, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        const identidade::Resumo inteiro = identidade::Sha256Of(bytes, Calculo::Portatil);
        identidade::Sha256 pedacos;
        for (size_t i = 0; i < bytes.size();) {
            const size_t n = std::min<size_t>(random() % 130, bytes.size() - i);
            pedacos.Add(std::string_view(bytes).substr(i, n));
            i += n;
        }
        ASSERT_EQ(pedacos.Value(), inteiro) << bytes.size();
    }
    EXPECT_EQ(identidade::ResumoDoTexto(Hex("abc", Calculo::Automatico)), identidade::Sha256Of("abc"));
    EXPECT_FALSE(identidade::ResumoDoTexto(std::string(64, 'G')));
    EXPECT_FALSE(identidade::ResumoDoTexto(std::string(63, '0')));
}

#ifndef _WIN32
TEST(Sha256, AFileGivesWhatSha256sumGives) {
    testing_support::TempDir dir;
    std::mt19937 random(7);
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string path = dir.write("build.bin", bytes);
    std::FILE* saida = popen(("sha256sum '" + path + "'").c_str(), "r");
    ASSERT_TRUE(saida);
    char linha[128] = {};
    const bool lida = std::fgets(linha, sizeof linha, saida) != nullptr;
    const int fim = pclose(saida);
    if (!lida || fim != 0) GTEST_SKIP() << "sha256sum is not available";
    const auto resumo = identidade::Sha256OfFile(*platform::makeNativePlatform().files, path);
    ASSERT_TRUE(resumo);
    EXPECT_EQ(identidade::TextoDoResumo(*resumo), std::string(linha, 64));
    EXPECT_FALSE(identidade::Sha256OfFile(*platform::makeNativePlatform().files, path + ".falta"));
}
#endif

}  // namespace
