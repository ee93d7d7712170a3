#include <gtest/gtest.h>

#include <cstdint>

#include "feedback/numeros.h"
#include "feedback/relatorio.h"

namespace {

using feedback::CompletaDireita;
using feedback::FormataMilhar;
using feedback::Kilobytes;
using feedback::LinhaRelatorio;

TEST(FormataMilhar, GroupsOfThreeWithTheGivenSeparator) {
    EXPECT_EQ(FormataMilhar(0, "."), "0");
    EXPECT_EQ(FormataMilhar(999, "."), "999");
    EXPECT_EQ(FormataMilhar(1000, "."), "1.000");
    EXPECT_EQ(FormataMilhar(20000, ","), "20,000");
    EXPECT_EQ(FormataMilhar(1234567, "."), "1.234.567");
    EXPECT_EQ(FormataMilhar(100000, ""), "100000");                       // a locale without one
    EXPECT_EQ(FormataMilhar(1234567, "\u202F"), "1\u202F234\u202F567");  // several bytes long
    EXPECT_EQ(FormataMilhar(-1234, "."), "-1.234");
    EXPECT_EQ(FormataMilhar(INT64_MIN, ","), "-9,223,372,036,854,775,808");
}

TEST(Kilobytes, RoundsUpSoThatAFileWithBytesNeverShowsZero) {
    EXPECT_EQ(Kilobytes(0), 0);
    EXPECT_EQ(Kilobytes(1), 1);
    EXPECT_EQ(Kilobytes(1024), 1);
    EXPECT_EQ(Kilobytes(1025), 2);
    EXPECT_EQ(Kilobytes(20000), 20);
    EXPECT_EQ(Kilobytes(int64_t{5} << 30), int64_t{5} << 20);  // 5 GiB
    EXPECT_EQ(Kilobytes(-10), 0);
}

TEST(CompletaDireita, PadsToTheWidthInCharactersAndNeverShortens) {
    EXPECT_EQ(CompletaDireita("abc", ' ', 6), "abc   ");
    EXPECT_EQ(CompletaDireita("abc", '*', 3), "abc");
    EXPECT_EQ(CompletaDireita("abcdef", ' ', 3), "abcdef");
    EXPECT_EQ(CompletaDireita("", '-', 2), "--");
    EXPECT_EQ(CompletaDireita("ação", '.', 6), "ação..");  // four characters, six bytes
    EXPECT_EQ(CompletaDireita("abc", ' ', 0), "abc");
    EXPECT_EQ(CompletaDireita("abc", ' ', -5), "abc");
}

TEST(LinhaRelatorio, NamePaddedToThirtyThenSizeInKilobytesAndACarriageReturn) {
    EXPECT_EQ(LinhaRelatorio("QOR7.EXE", 20000, "."), "  Arquivo: QOR7.EXE            -  Tamanho: 20 Kb\r");
    EXPECT_EQ(LinhaRelatorio("QOR7.EXE", 20000, ".").find(" -  Tamanho: "), 30u);
    EXPECT_EQ(LinhaRelatorio("QOR7.EXE", 5000000, "."), "  Arquivo: QOR7.EXE            -  Tamanho: 4.883 Kb\r");
    EXPECT_EQ(LinhaRelatorio("QOR7.EXE", 5000000, ","), "  Arquivo: QOR7.EXE            -  Tamanho: 4,883 Kb\r");
    EXPECT_EQ(LinhaRelatorio("VAZIO.EXE", 0, "."), "  Arquivo: VAZIO.EXE           -  Tamanho: 0 Kb\r");
}

TEST(LinhaRelatorio, LongNamesAreKeptWholeWithoutPadding) {
    EXPECT_EQ(LinhaRelatorio("VIEWLOGQOR7_NOV.EXE", 1024, "."),
              "  Arquivo: VIEWLOGQOR7_NOV.EXE -  Tamanho: 1 Kb\r");  // 19 characters and more
    EXPECT_EQ(LinhaRelatorio("UM_NOME_BEM_COMPRIDO_DE_MODULO.EXE", 1, "."),
              "  Arquivo: UM_NOME_BEM_COMPRIDO_DE_MODULO.EXE -  Tamanho: 1 Kb\r");
}

TEST(EhModuloExecutavel, OnlyTheLastExtensionCountsWhateverItsCase) {
    EXPECT_TRUE(feedback::EhModuloExecutavel("QOR7.EXE"));
    EXPECT_TRUE(feedback::EhModuloExecutavel("qor7.exe"));
    EXPECT_TRUE(feedback::EhModuloExecutavel("a.b.Exe"));
    EXPECT_FALSE(feedback::EhModuloExecutavel("a.EXE.bak"));
    EXPECT_FALSE(feedback::EhModuloExecutavel("PKG70.BPL"));
    EXPECT_FALSE(feedback::EhModuloExecutavel("EXE"));
    EXPECT_FALSE(feedback::EhModuloExecutavel(""));
    EXPECT_FALSE(feedback::EhModuloExecutavel("x.exe "));
}

}  // namespace
