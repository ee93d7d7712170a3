#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "feedback/erros.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace {

using feedback::TextoErro;

TEST(TextoErro, EveryValueHasItsTextAndTwoOfThemNameTheFile) {
    const std::vector<std::string> expected = {
        "Nenhum arquivo atende à esta especificação:\r\\\\SRV\\QOR7\\QOR7.EXE",
        "Diversos arquivos de origem para o mesmo arquivo de destino.",
        "O arquivo de origem é o arquivo de destino.",
        "Diretório de destino não existe e não pode ser criado.",
        "Erro na abertura do arquivo de origem.",
        "Erro na criação do arquivo de destino.",
        "Erro durante a gravação do arquivo de destino.",
        "Não há espaço suficiente para copiar o arquivo:\rC:\\QOR7\\QOR7.EXE",
        "Erro ao renomear arquivo.",
        "Não é possível renomear porque o diretório de destino é diferente.",
        "O arquivo de destino já existe.",
        "Erro ao deletar arquivo.",
        "Erro ao mover arquivo.",
    };
    for (int value = 0; value < 13; ++value)
        EXPECT_EQ(TextoErro(value, "\\\\SRV\\QOR7\\QOR7.EXE", "C:\\QOR7\\", "QOR7.EXE"), expected[value]) << value;
    for (int value : {13, 255, -1})
        EXPECT_EQ(TextoErro(value, "a", "b", "c"), "Erro Desconhecido ao Tentar Copiar") << value;
}

class MostraErroTest : public ::testing::Test {
protected:
    void Run(const std::function<bool()>& fallback) {
        feedback::MostraErroECopiaDeNovo({IErro, lErroM1, lErroM2, Label3}, "O arquivo de destino já existe.",
                                         [this] { paints.push_back(Snapshot()); }, fallback);
    }
    // What a repaint would show: each error control's visibility and the texts.
    std::string Snapshot() const {
        return std::string(IErro.Visible ? "I" : "-") + (lErroM1.Visible ? "1" : "-") + (lErroM2.Visible ? "2" : "-") +
               " " + lErroM1.Caption + " | " + lErroM2.Caption + " | " + Label3.Caption;
    }
    ui::TImage IErro{"IErro"};
    ui::TLabel lErroM1{"lErroM1"}, lErroM2{"lErroM2"}, Label3{"Label3"};
    std::vector<std::string> paints;

    void SetUp() override {
        for (ui::TControl* c : std::initializer_list<ui::TControl*>{&IErro, &lErroM1, &lErroM2}) c->Visible = false;
        lErroM1.Caption = lErroM2.Caption = "...";
        Label3.Caption = "Aguarde ...";
    }
};

TEST_F(MostraErroTest, TheReasonStaysBesideTheSecondHeadingWhileTheFallbackBlocks) {
    std::string duringFallback;
    Run([&] {
        duringFallback = Snapshot();
        return true;
    });
    ASSERT_EQ(paints.size(), 2u);
    EXPECT_EQ(paints[0], "I1- Método 01 (O arquivo de destino já existe.) | ... | Aguarde ...");
    EXPECT_EQ(paints[1], "I1- Método 01 (O arquivo de destino já existe.) | ... | Aguarde .....");
    EXPECT_EQ(duringFallback, paints[1]);
    // The file came: "Aguarde ....." and no error line.
    EXPECT_EQ(Snapshot(), "--- Método 01 (O arquivo de destino já existe.) | ... | Aguarde .....");
}

TEST_F(MostraErroTest, AFailedFallbackOrAStandardExceptionIsShownAsTheSecondMethodAndStays) {
    lErroM2.Visible = true;  // left by an earlier file: not part of this file's first paint
    Run([] { return false; });
    ASSERT_EQ(paints.size(), 3u);
    EXPECT_EQ(paints[0].substr(0, 3), "I1-");
    EXPECT_EQ(paints[2], "I12 Método 01 (O arquivo de destino já existe.) | Método 02 (A segunda cópia também falhou.) | "
                         "Aguarde .....");
    EXPECT_EQ(Snapshot(), paints[2]);
    paints.clear();
    EXPECT_NO_THROW(Run([]() -> bool { throw std::runtime_error("disco cheio"); }));
    ASSERT_EQ(paints.size(), 3u);
    EXPECT_EQ(paints[2], "I12 Método 01 (O arquivo de destino já existe.) | Método 02 (disco cheio) | Aguarde .....");
}

TEST_F(MostraErroTest, OtherExceptionsPassOn) {
    EXPECT_THROW(Run([]() -> bool { throw 42; }), int);
}

class CopiaAlternativaTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> native = platform::makeNativePlatform().files;
    std::string origem = dir.write("srv/QOR7.EXE", "nova versão");
    std::string destino = dir.write("term/QOR7.EXE", "versão antiga");
};

TEST_F(CopiaAlternativaTest, ReplacesTheTerminalCopy) {
    feedback::CopiaAlternativa(*native, origem, destino);
    EXPECT_EQ(dir.read("term/QOR7.EXE"), "nova versão");
}

TEST_F(CopiaAlternativaTest, AFailedCopyKeepsTheOldFileWhole) {
    // The server file cannot be read: a "delete, then copy" would leave the terminal without it.
    testing_support::FaultyFileSystem faulty(native);
    faulty.MakeUnreadable("QOR7.EXE");
    feedback::CopiaAlternativa(faulty, origem, destino);
    EXPECT_EQ(dir.read("term/QOR7.EXE"), "versão antiga");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "term"), {}), 1);  // no temporary left
}

TEST_F(CopiaAlternativaTest, TheSameFileUnderAnotherSpellingIsKept) {
    std::string outraGrafia = destino;
    outraGrafia.replace(outraGrafia.rfind('/'), 1, "\\");
    outraGrafia.replace(outraGrafia.size() - 8, 8, "qor7.exe");
    feedback::CopiaAlternativa(*native, destino, outraGrafia);
    feedback::CopiaAlternativa(*native, destino, destino);
    EXPECT_EQ(dir.read("term/QOR7.EXE"), "versão antiga");
}

}  // namespace
