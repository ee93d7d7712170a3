// Windows: the records' folder reached through a mapped drive, as terminals reach the server's
// share. Under Wine the drive Z: maps the Unix file system, so the test folder is reached there
// by another path than its own.
#ifdef _WIN32

#include <gtest/gtest.h>

#include "frota/gravacao.h"
#include "frota/nome.h"
#include "frota/painel.h"
#include "frota_fixture.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_api.h"

namespace {

// The folder as the drive Z: shows it; none outside Wine.
std::optional<std::string> PelaUnidadeZ(const std::string& pasta) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return std::nullopt;
    char* nome = unixName(platform::win32::toWide(pasta).c_str());
    if (!nome) return std::nullopt;
    std::string caminho = "Z:" + std::string(nome);
    HeapFree(GetProcessHeap(), 0, nome);
    for (char& c : caminho) c = c == '/' ? '\\' : c;
    return frota::ComSeparador(caminho);
}

TEST(UnidadeMapeada, TerminalsWriteAndTheAdministratorReadsThroughTheMappedDrive) {
    frota_test::PastaTerminais pasta;
    const std::optional<std::string> mapeada = PelaUnidadeZ(pasta.Pasta());
    if (!mapeada) GTEST_SKIP() << "no drive maps the Unix file system (not under Wine)";
    const auto sistema = platform::makeNativePlatform().system;
    frota::EstadoTerminal estado = frota_test::Estado(sistema->machineName().value_or(""));
    estado.usuario = sistema->userName().value_or("");
    EXPECT_FALSE(estado.maquina.empty());
    EXPECT_FALSE(estado.usuario.empty());
    ASSERT_TRUE(frota::GravaEstado(*pasta.files, *mapeada, estado));
    ASSERT_TRUE(frota::GravaEstado(*pasta.files, *mapeada, estado));  // over the first one
    ASSERT_TRUE(frota::GravaEstado(*pasta.files, *mapeada, frota_test::Estado("CAIXA-02", frota::Situacao::Falha, 1)));

    const frota::Painel painel = frota::LePainel(*pasta.files, *mapeada, {std::time(nullptr), 24});
    ASSERT_TRUE(painel.legivel);
    EXPECT_EQ(painel.ignorados, 0u);
    ASSERT_EQ(painel.terminais.size(), 2u);
    EXPECT_EQ(painel.terminais[0].maquina, "CAIXA-02");
    EXPECT_EQ(painel.terminais[1].arquivo, frota::NomeDoRegistro(estado.maquina, estado.pastaPrograma));
    EXPECT_EQ(painel.terminais[1].grupo, frota::Grupo::EmDia);  // heard of just now
    ASSERT_TRUE(frota::GravaAtomico(*pasta.files, *mapeada, frota::kNomePagina, frota::PaginaDoPainel(painel)));
    EXPECT_NE(pasta.dir.read(frota::kNomePagina).find("CAIXA-02"), std::string::npos);  // by the folder's own path
}

}  // namespace

#endif  // _WIN32
