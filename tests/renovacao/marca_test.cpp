// The mark a build carries, read from real files: the program this build made, and copies of it
// cut short, changed in one byte, or a script that ends with a mark it forged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/platform.h"
#include "renovacao/marca.h"
#include "identidade/sha256.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Marca : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return testing_support::utf8Of(path);
    }
    renovacao::LeituraDaMarca Read(const std::string& path) { return renovacao::LeMarca(*files, path); }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
    const std::string program = ReadAll(ATUALIZA_EXE);
};

TEST_F(Marca, TheBuildsOwnMarkReadsAndNoCutOrChangedCopyDoes) {
    const renovacao::LeituraDaMarca own = Read(ATUALIZA_EXE);
    ASSERT_TRUE(own.marca) << own.motivo;
    EXPECT_EQ(own.marca->versao, ATUALIZA_PROJECT_VERSION);
    EXPECT_FALSE(own.marca->compilacao.empty());
    const size_t body = static_cast<size_t>(own.marca->tamanho);
    ASSERT_LT(body, program.size());
    EXPECT_EQ(program.substr(body, renovacao::kInicioDaMarca.size()), renovacao::kInicioDaMarca);

    std::mt19937 random(12345);
    // Cut anywhere: in the body, inside the mark, one byte short.
    for (size_t length : {body / 2, body, body + 20, program.size() - 1, size_t{3}}) {
        EXPECT_FALSE(Read(Write("cortado", program.substr(0, length))).marca) << "cut to " << length;
    }
    for (int i = 0; i < 3; ++i) {
        std::string changed = program;
        changed[random() % body] ^= 0x20;
        EXPECT_FALSE(Read(Write("alterado", changed)).marca) << "one byte changed";
    }
    // Mark and sum forged right over something that is no program of this system.
    const std::string script = "#!/bin/sh\necho 'AtualizaTerminalQOR7 versão 9.9 (compilação x)'\n";
    const std::string forged = script + renovacao::TextoDaMarca({"9.9", "x", script.size()},
                                                                identidade::TextoDoResumo(identidade::Sha256Of(script)));
    const renovacao::LeituraDaMarca lida = Read(Write("roteiro", forged));
    EXPECT_FALSE(lida.marca);
    EXPECT_NE(lida.motivo.find("não é um programa deste sistema"), std::string::npos) << lida.motivo;
}

}  // namespace
