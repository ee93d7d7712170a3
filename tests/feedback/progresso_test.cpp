#include <gtest/gtest.h>

#include <algorithm>

#include "feedback/progresso.h"

namespace {

struct Controles {
    ui::TLabel LabTotalBytes{"LabTotalBytes"};
    ui::TLabel LabBytesCopiados{"LabBytesCopiados"};
    ui::TProgressBar pgbr{"pgbr"};
};

TEST(Progresso, AFileOfTwentyThousandBytesInBlocksOfEightKilobytesFillsTheBar) {
    Controles c;
    c.pgbr.SetPosition(60);  // left over from an earlier file
    feedback::MostraInicio(c.LabTotalBytes, c.pgbr, 20000, ".");
    EXPECT_EQ(c.LabTotalBytes.Caption, "Total: 20.000");
    EXPECT_EQ(c.pgbr.Min(), 0);
    EXPECT_EQ(c.pgbr.Max(), 20000);
    EXPECT_EQ(c.pgbr.Position(), 0);

    const char* expected[] = {"8.192 bytes processados", "16.384 bytes processados", "20.000 bytes processados"};
    int64_t done = 0;
    for (const char* text : expected) {
        done = std::min<int64_t>(done + 8192, 20000);
        feedback::MostraProgresso(c.LabBytesCopiados, c.pgbr, done, ".");
        EXPECT_EQ(c.LabBytesCopiados.Caption, text);
        EXPECT_EQ(c.pgbr.Position(), done);
    }
    EXPECT_EQ(c.pgbr.Position(), c.pgbr.Max());
}

TEST(Progresso, AnEmptyFileGivesRangeZeroAndLeavesTheByteLabelAsItWas) {
    Controles c;
    c.LabBytesCopiados.Caption = "0 byte processado";
    feedback::MostraInicio(c.LabTotalBytes, c.pgbr, 0, ",");
    EXPECT_EQ(c.LabTotalBytes.Caption, "Total: 0");
    EXPECT_EQ(c.pgbr.Max(), 0);
    EXPECT_EQ(c.pgbr.Position(), 0);
    EXPECT_EQ(c.LabBytesCopiados.Caption, "0 byte processado");
}

TEST(Progresso, TheGaugeNeverReceivesANegativeMaximumAndTakesHugeSizes) {
    Controles c;
    EXPECT_NO_THROW(feedback::MostraInicio(c.LabTotalBytes, c.pgbr, -5, "."));
    EXPECT_EQ(c.pgbr.Max(), 0);
    const int64_t fiveGiB = int64_t{5} << 30;
    feedback::MostraInicio(c.LabTotalBytes, c.pgbr, fiveGiB, ",");
    EXPECT_EQ(c.LabTotalBytes.Caption, "Total: 5,368,709,120");
    feedback::MostraProgresso(c.LabBytesCopiados, c.pgbr, fiveGiB - 1, ",");
    EXPECT_EQ(c.pgbr.Position(), fiveGiB - 1);
}

TEST(PerguntaCriarDiretorio, NamesTheFolderBetweenTwoLines) {
    EXPECT_EQ(feedback::PerguntaCriarDiretorio("C:\\QOR7\\SUB\\"),
              "O diretório de destino\rC:\\QOR7\\SUB\\\rnão existe. Deseja cria-lo agora?");
}

}  // namespace
