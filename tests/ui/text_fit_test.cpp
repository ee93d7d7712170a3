#include <gtest/gtest.h>

#include "platform/text.h"
#include "ui/text_fit.h"

namespace {

// Six pixels a character, as a plain reference for any font.
int Measure(const std::string& text) { return static_cast<int>(platform::utf8Length(text)) * 6; }

std::string Fit(const std::string& line, size_t characters) {
    const std::string fitted = ui::FitLine(line, static_cast<int>(characters) * 6, Measure);
    EXPECT_LE(platform::utf8Length(fitted), characters) << fitted;
    return fitted;
}

TEST(FitLine, APathLosesItsMiddleNeverItsEnd) {
    const std::string copiando = "\\\\SERVIDOR\\QOR7\\Sistemas\\Versão 2026\\Módulos\\pkRelatorios7.bpl";
    EXPECT_EQ(Fit(copiando, 200), copiando);
    EXPECT_EQ(Fit(copiando, 40), "\\\\SERVIDOR\\…\\Módulos\\pkRelatorios7.bpl");
    // Without room for the root, the file name still stands whole at the end.
    EXPECT_EQ(Fit(copiando, 20), "…\\pkRelatorios7.bpl");
    const std::string catalogo = "Catálogo de módulos não encontrado: /mnt/servidor/QOR7/TABDEF/MODULOS.DAT";
    EXPECT_EQ(Fit(catalogo, 61), "Catálogo de módulos não encontrado: /mnt/…/TABDEF/MODULOS.DAT");
}

TEST(FitLine, WhenTheFileNameAloneIsTooWideTheSentenceGivesWayBeforeIt) {
    const std::string disco = "Método 01 (Não há espaço suficiente para copiar o arquivo: C:\\QOR7\\pkRelatorios7.bpl)";
    const std::string fitted = Fit(disco, 50);
    EXPECT_EQ(fitted.rfind("Método 01 (", 0), 0u);
    EXPECT_EQ(fitted.substr(fitted.size() - 19), "\\pkRelatorios7.bpl)");
    EXPECT_NE(fitted.find("…"), std::string::npos);
    // A sentence alone keeps its start and its end.
    EXPECT_EQ(Fit("Método 02 (A segunda cópia falhou)", 21), "Método 02 …ia falhou)");
    // Nothing fits but the end: the end it is.
    EXPECT_EQ(Fit("abc\\defghij", 4), "…hij");
}

TEST(LinesForBox, TheLastLineShownTakesTheRest) {
    EXPECT_EQ(ui::LinesForBox("um\rdois\r\ntrês", 2), (std::vector<std::string>{"um", "dois três"}));
    EXPECT_EQ(ui::LinesForBox("um\rdois", 1), (std::vector<std::string>{"um dois"}));
    EXPECT_EQ(ui::LinesForBox("um", 0), (std::vector<std::string>{"um"}));
    EXPECT_EQ(ui::LinesForBox("", 1), (std::vector<std::string>{""}));
}

}  // namespace
