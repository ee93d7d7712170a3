// Writing into the share's folder: a reader sees the old file or the new one, and a write that
// fails leaves the old file and no temporary behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "frota/gravacao.h"
#include "frota/leitura.h"
#include "frota/nome.h"
#include "platform/temporary_names.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class Gravacao : public ::testing::Test {
protected:
    std::vector<std::string> Arquivos() const {
        std::vector<std::string> nomes;
        for (const auto& e : fs::directory_iterator(dir.path())) nomes.push_back(testing_support::utf8Of(e.path().filename()));
        std::sort(nomes.begin(), nomes.end());
        return nomes;
    }
    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> nativo = platform::makeNativePlatform().files;
};

TEST_F(Gravacao, ReplacesTheOldFileAndRemovesOnlyItsOwnLeftovers) {
    dir.write("CAIXA_00000000.txt", "velho");
    const std::string sobra = platform::TemporaryNameFor("CAIXA_00000000.txt", 0x1234abcd);
    dir.write(sobra, "meio registro de uma gravação morta");
    const std::string alheia = platform::TemporaryNameFor("OUTRA_00000000.txt", 0x1234abcd);
    dir.write(alheia, "de outro terminal");
    ASSERT_TRUE(frota::GravaAtomico(*nativo, dir.folder(), "CAIXA_00000000.txt", "novo"));
    EXPECT_EQ(dir.read("CAIXA_00000000.txt"), "novo");
    EXPECT_EQ(Arquivos(), (std::vector<std::string>{"CAIXA_00000000.txt", alheia}));
}

TEST_F(Gravacao, AWriteThatFailsLeavesTheOldFileAndNoTemporary) {
    dir.write("CAIXA_00000000.txt", "velho");
    auto falho = std::make_shared<testing_support::FaultyFileSystem>(nativo);
    falho->ShortWriteAtBlock(1);
    EXPECT_FALSE(frota::GravaAtomico(*falho, dir.folder(), "CAIXA_00000000.txt", "novo"));
    EXPECT_EQ(dir.read("CAIXA_00000000.txt"), "velho");
    EXPECT_EQ(Arquivos(), (std::vector<std::string>{"CAIXA_00000000.txt"}));

    auto trancado = std::make_shared<testing_support::FaultyFileSystem>(nativo);
    trancado->Lock("CAIXA_00000000.txt");  // being read by the administrator's Windows
    EXPECT_FALSE(frota::GravaAtomico(*trancado, dir.folder(), "CAIXA_00000000.txt", "novo"));
    EXPECT_EQ(dir.read("CAIXA_00000000.txt"), "velho");
    EXPECT_EQ(Arquivos(), (std::vector<std::string>{"CAIXA_00000000.txt"}));
}

TEST_F(Gravacao, AFolderThatCannotBeWrittenIsAnAnswerNotAnError) {
    EXPECT_FALSE(frota::GravaAtomico(*nativo, dir.folder() + "falta", "CAIXA_00000000.txt", "x"));
    dir.write("arquivo", "um arquivo onde devia haver uma pasta");
    EXPECT_FALSE(frota::GravaAtomico(*nativo, dir.folder() + "arquivo", "CAIXA_00000000.txt", "x"));
}

TEST_F(Gravacao, TheStateGoesUnderTheNameOfItsMachineAndFolder) {
    frota::EstadoTerminal estado;
    estado.maquina = "../CAIXA 7";
    estado.pastaPrograma = "C:\\QOR7\\";
    ASSERT_TRUE(frota::GravaEstado(*nativo, dir.folder(), estado));
    const std::string nome = frota::NomeDoRegistro(estado.maquina, estado.pastaPrograma);
    EXPECT_EQ(Arquivos(), (std::vector<std::string>{nome}));
    const auto lido = frota::LeRegistro(dir.read(nome));
    ASSERT_TRUE(lido);
    EXPECT_EQ(lido->Valor("maquina"), "../CAIXA 7");
    EXPECT_EQ(lido->Valor("situacao"), "em andamento");
}

}  // namespace
