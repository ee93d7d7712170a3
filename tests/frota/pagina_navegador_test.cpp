// The fleet's page opened from its folder in a real browser (headless Chromium): it renders
// offline, colour-coded, and a screenshot of it is kept for a person to look at.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "frota/gravacao.h"
#include "frota/painel.h"
#include "frota/tempo.h"
#include "frota_fixture.h"
#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;
using frota::Situacao;
using frota_test::Estado;

struct Rgb {
    int r, g, b;
};

// Pixels of the PNG file that are this colour (within a small difference); -1 when unreadable.
long PixelsOfColour(const std::string& path, Rgb colour) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return -1;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return -1;
    long count = 0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3)
        count += std::abs(pixels[i] - colour.r) + std::abs(pixels[i + 1] - colour.g) + std::abs(pixels[i + 2] - colour.b) < 12;
    return count;
}

frota::EstadoTerminal Com(frota::EstadoTerminal e, const std::string& publicacao, const std::string& renovacao = "") {
    e.compilacao = e.versao == "1.06" ? "20261210-7f3a" : "20261125-91c2";
    if (!publicacao.empty()) e.adicionais.push_back({"publicacao", publicacao});
    if (!renovacao.empty()) e.adicionais.push_back({"renovacao", renovacao});
    const std::time_t sucesso = std::time(nullptr) - 3 * 86400;
    e.adicionais.push_back({"ultimo_sucesso_utc", frota::HoraUtc(sucesso)});
    return e;
}

// A shop with a terminal in every group, one with values no line can hold, and an accented name.
void GravaLoja(frota_test::PastaTerminais& pasta, std::time_t agora) {
    frota::EstadoTerminal novo = Estado("CAIXA-01");
    novo.versao = "1.06";
    pasta.Grava(Com(novo, "18", "tomada: 1.06 (20261210-7f3a)"), agora - 600);
    pasta.Grava(Com(Estado("CAIXA-02"), "18", "recusada: o programa em ATUALIZADOR não traz a marca deste atualizador"),
                agora - 900);
    pasta.Grava(Com(Estado("GERÊNCIA-SALÃO"), "17"), agora - 3000);
    frota::EstadoTerminal falhou = Estado("CAIXA-03", Situacao::Falha, 1);
    falhou.falha = "Catálogo de módulos não encontrado: \\\\SERVIDOR\\QOR7\\TABDEF\\MODULOS.DAT";
    pasta.Grava(Com(falhou, "18"), agora - 1200);
    frota::EstadoTerminal atrasado = Estado("ESTOQUE", Situacao::Normal, 2);
    atrasado.arquivosAtrasados = {"HALDENMOR7.EXE", "pkRelatorios7.bpl"};
    pasta.Grava(Com(atrasado, "17"), agora - 1800);
    frota::EstadoTerminal retido = Estado("CAIXA-06");
    retido.listasAdicionais.push_back({"arquivos_retidos", "arquivo_retido", {"HALDENMOR7.EXE"}});
    pasta.Grava(Com(retido, "18"), agora - 2400);
    pasta.Grava(Estado("CAIXA-04", Situacao::EmAndamento), agora - 60);
    pasta.Grava(Com(Estado("DEPOSITO"), "16"), agora - 479 * 3600);
    frota::EstadoTerminal hostil = Estado("<b>CAIXA-05</b>", Situacao::Normal, 0);
    hostil.usuario = "\"><script>alert(1)</script>";
    hostil.pastaPrograma = "C:\\" + std::string(300, 'P') + "\\";
    hostil.versao = std::string(200, '9');
    pasta.Grava(Com(hostil, "18"), agora - 300);
    frota::EstadoTerminal longo = Estado("ESCRITORIO", Situacao::Falha, 1);
    longo.falha = std::string(500, 'X');
    pasta.Grava(longo, agora - 700);
    pasta.GravaBytes(frota::kArquivoEsperados, "CAIXA-01\r\nCAIXA-07\r\n", agora);
}

// Pixels of the PNG at or right of column `x` that are this colour; -1 when unreadable.
long PixelsFrom(const std::string& path, Rgb colour, size_t x) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return -1;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return -1;
    long count = 0;
    for (size_t row = 0; row < image.height; ++row)
        for (size_t col = x; col < image.width; ++col) {
            const png_byte* p = &pixels[(row * image.width + col) * 3];
            count += std::abs(p[0] - colour.r) + std::abs(p[1] - colour.g) + std::abs(p[2] - colour.b) < 12;
        }
    return count;
}

TEST(PaginaNoNavegador, OpensFromItsFolderOfflineAndShowsEachGroupInItsColour) {
    const std::string chromium = "/usr/bin/chromium";
    if (!fs::exists(chromium)) GTEST_SKIP() << "Chromium is not installed (scripts/setup.sh installs it)";
    frota_test::PastaTerminais pasta;
    const std::time_t agora = std::time(nullptr);
    GravaLoja(pasta, agora);
    const frota::Painel painel = frota::LePainel(*pasta.files, pasta.Pasta(), {agora, 24});
    ASSERT_EQ(painel.terminais.size(), 11u);
    ASSERT_TRUE(frota::GravaAtomico(*pasta.files, pasta.Pasta(), frota::kNomePagina, frota::PaginaDoPainel(painel)));

    testing_support::TempDir perfil;
    const std::string foto = pasta.Pasta() + "foto.png";
    const auto result = testing_support::RunAndWait(
        chromium,
        {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync", "--hide-scrollbars",
         "--user-data-dir=" + perfil.folder(), "--window-size=1280,1650", "--screenshot=" + foto,
         "file://" + pasta.Pasta() + frota::kNomePagina},
        perfil.folder(), 90, {perfil.folder() + "chromium.log", true});
    ASSERT_EQ(result.exitStatus, 0) << perfil.read("chromium.log");
    ASSERT_TRUE(fs::exists(foto));
    // The summary's boxes and the rows' borders: red failures, brown silence, orange behind, green up to date.
    for (Rgb cor : {Rgb{0xc6, 0x28, 0x28}, Rgb{0x5d, 0x40, 0x37}, Rgb{0xe6, 0x51, 0x00}, Rgb{0x2e, 0x7d, 0x32},
                    Rgb{0x15, 0x65, 0xc0}})
        EXPECT_GT(PixelsOfColour(foto, cor), 2000) << cor.r << "," << cor.g << "," << cor.b;
    // Nothing of a table reaches the page's right margin: a long value wraps or is cut.
    EXPECT_GT(PixelsOfColour(foto, {0x37, 0x47, 0x4f}), 10000);
    EXPECT_EQ(PixelsFrom(foto, {0x37, 0x47, 0x4f}, 1280 - 12), 0);
    fs::copy_file(foto, std::string(ATUALIZA_BUILD_DIR) + "/frota-pagina.png", fs::copy_options::overwrite_existing);
    std::ofstream(std::string(ATUALIZA_BUILD_DIR) + "/frota-tabela.txt") << frota::TabelaDoPainel(painel);
}

}  // namespace

#endif  // _WIN32
