// The manifest read back as written, found by any spelling of a name, and read as none when it is
// cut, edited by hand or not a plain file.
#include <gtest/gtest.h>

#include <filesystem>

#include "identidade/manifesto.h"
#include "support/temp_dir.h"

namespace {

identidade::Manifesto Exemplo() {
    identidade::Manifesto m;
    m.numero = 12;
    m.data = "2026-12-11 16:00:00 UTC";
    m.Acrescenta({"QOR7.EXE", {1234, 133000000000000000}, 0x21, identidade::Sha256Of("qor")});
    m.Acrescenta({"Relatórios\\REL.EXE", {5, 133000000000000001}, 1, identidade::Sha256Of("rel")});
    m.Acrescenta({"nome com\tTAB e = sinal", {0, -5}, 0, identidade::Sha256Of("")});
    return m;
}

TEST(Manifesto, ReadsBackAsWrittenAndFindsNamesByAnySpelling) {
    const identidade::Manifesto m = Exemplo();
    const std::optional<identidade::Manifesto> lido = identidade::DoTexto(identidade::Texto(m));
    ASSERT_TRUE(lido);
    EXPECT_EQ(lido->numero, 12u);
    EXPECT_EQ(lido->data, m.data);
    EXPECT_EQ(lido->Arquivos(), m.Arquivos());
    ASSERT_TRUE(lido->Procura("qor7.exe"));
    EXPECT_EQ(lido->Procura("relatórios/rel.exe")->stamp.size, 5u);
    EXPECT_TRUE(lido->Descreve("QOR7.exe", {1234, 133000000000000000}));
    EXPECT_FALSE(lido->Descreve("QOR7.exe", {1234, 133000000000000002})) << "another time is another file";
    EXPECT_FALSE(lido->Procura("VENDAS.EXE"));
}

TEST(Manifesto, ACutOrEditedManifestReadsAsNone) {
    const std::string texto = identidade::Texto(Exemplo());
    for (size_t corte : {size_t{0}, size_t{10}, texto.size() / 2, texto.size() - 3, texto.size() - 1})
        EXPECT_FALSE(identidade::DoTexto(texto.substr(0, corte))) << corte;
    std::string editado = texto;
    editado[editado.find("tamanho=1234") + 8] = '9';
    EXPECT_FALSE(identidade::DoTexto(editado));
    EXPECT_FALSE(identidade::DoTexto(texto + "x"));
}

TEST(Manifesto, IsWrittenWholeBesideTheCatalogueAndOnlyAPlainFileIsRead) {
    testing_support::TempDir dir;
    auto files = platform::makeNativePlatform().files;
    std::filesystem::create_directories(dir / "servidor/TABDEF");
    const std::string servidor = dir.folder() + "servidor";
    EXPECT_FALSE(identidade::LeManifesto(*files, servidor));
    ASSERT_TRUE(identidade::GravaManifesto(*files, servidor, Exemplo()));
    const auto lido = identidade::LeManifesto(*files, servidor + "/");
    ASSERT_TRUE(lido);
    EXPECT_EQ(lido->Arquivos().size(), 3u);
    size_t arquivos = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir / "servidor/TABDEF")) ++arquivos;
    EXPECT_EQ(arquivos, 1u) << "no temporary left";
    std::filesystem::remove(dir / "servidor/TABDEF/AtualizaTerminalQOR7.publicacao");
    std::filesystem::create_directory(dir / "servidor/TABDEF/AtualizaTerminalQOR7.publicacao");
    EXPECT_FALSE(identidade::LeManifesto(*files, servidor));
}

}  // namespace
