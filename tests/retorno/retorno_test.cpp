// Keeping and restoring on a real folder, through the platform's own calls: a step back cut at
// any of its moves is completed by the next one, whatever state the files were left in; what no
// longer matches the record is left alone; read-only files neither stop nor lose their bit.
#include <gtest/gtest.h>

#include <filesystem>

#include "acervo/acervo.h"
#include "platform/dos_time.h"
#include "platform/platform.h"
#include "retorno/guarda.h"
#include "retorno/nomes.h"
#include "retorno/volta.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using retorno::Desfecho;

std::string Native(std::string relativo) {
    for (char& c : relativo)
        if (c == '\\') c = '/';
    return relativo;
}

class Retorno : public ::testing::Test {
protected:
    ~Retorno() override { Writable(); }
    // Read-only files would outlive the folder's removal on Windows.
    void Writable() {
        for (const auto& e : fs::recursive_directory_iterator(dir.path()))
            if (e.is_regular_file()) files->setAttributes(testing_support::utf8Of(e.path()), platform::attr::Archive);
    }
    std::string Path(const std::string& relativo) const { return pasta + relativo; }
    std::string Text(const std::string& relativo) const { return dir.read(Native(relativo)); }
    void Put(const std::string& relativo, const std::string& content, int day) {
        if (files->fileExists(Path(relativo))) files->setAttributes(Path(relativo), platform::attr::Archive);
        dir.write(Native(relativo), content);
        ASSERT_TRUE(files->openRead(Path(relativo))->setLastWriteDos(*platform::packDosDateTime({2024, 5, day, 8, 0, 0})));
    }
    // A copy as the run makes one, between Prepara and Conclui: a whole new file moved over the old.
    void Copy(const std::string& nome, const std::string& content, int day) {
        Put("novo.tmp", content, day);
        files->setAttributes(Path(nome), platform::attr::Archive);
        ASSERT_TRUE(files->replaceFile(Path("novo.tmp"), Path(nome)));
    }
    // An update of `nome` in run `execucao`, kept and recorded as the run does it.
    void Update(const std::string& nome, const std::string& content, int day, uint64_t execucao) {
        retorno::Guarda execucaoGuarda(files, pasta, 1, [this](const std::string& linha) { avisos.push_back(linha); });
        execucaoGuarda.Prepara(nome);
        Copy(nome, content, day);
        const retorno::Guardado anterior = execucaoGuarda.Conclui(nome, true);
        const platform::FileStamp local = *files->stampOf(Path(nome));
        registro.Registra({nome, local, local, std::nullopt, acervo::Estado::Instalado, execucao, anterior.anterior,
                           anterior.versao});
    }
    bool ReadOnly(const std::string& relativo) {
        return files->attributes(Path(relativo)).value_or(0) & platform::attr::ReadOnly;
    }

    testing_support::TempDir dir;
    std::string pasta = dir.folder();
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
    std::vector<std::string> avisos;
    retorno::Guarda guarda{files, pasta, 1, [this](const std::string& linha) { avisos.push_back(linha); }};
    acervo::Acervo registro;
    const std::string guardado = "AtualizaTerminalQOR7.anteriores\\guardadas\\sub\\M.EXE";
    const std::string pendente = "AtualizaTerminalQOR7.anteriores\\pendentes\\sub\\M.EXE";
};

TEST(Nomes, ResolvedAsTheSystemsResolveThemAndTheKeptFolderIsNeverACatalogueName) {
    EXPECT_EQ(retorno::NomeNormal("sub/./x\\..\\M.EXE"), "sub\\M.EXE");
    EXPECT_EQ(retorno::NomeNormal("..\\M.EXE"), std::nullopt);
    EXPECT_EQ(retorno::NomeNormal("."), std::nullopt);
    for (const char* nome : {"AtualizaTerminalQOR7.anteriores\\guardadas\\Q.EXE", "atualizaterminalqor7.ANTERIORES/x",
                             "sub\\..\\AtualizaTerminalQOR7.anteriores\\x", "AtualizaTerminalQOR7.anteriores. \\x",
                             ".\\AtualizaTerminalQOR7.anteriores", "x\\...\\AtualizaTerminalQOR7.anteriores\\y"})
        EXPECT_TRUE(retorno::NomeReservado(nome)) << nome;
    for (const char* nome : {"QOR7.EXE", "sub\\AtualizaTerminalQOR7.anteriores\\x", "AtualizaTerminalQOR7.anteriores2\\x",
                             "AtualizaTerminalQOR7.anteriores\\..\\x.exe", "AtualizaTerminalQOR7.acervo"})
        EXPECT_FALSE(retorno::NomeReservado(nome)) << nome;
}

// The three moves of a step back (a second name for the file, the kept version over the file,
// the second name over the kept one), cut after each: the next step back ends where the whole
// one would, the old file read-only or not.
TEST_F(Retorno, AStepBackCutAfterAnyOfItsMovesIsCompletedByTheNext) {
    for (bool readOnly : {false, true}) {
        for (int cut = 0; cut <= 3; ++cut) {
            const std::string when = "cut after move " + std::to_string(cut) + (readOnly ? ", read-only" : "");
            Writable();
            fs::remove_all(dir.path());
            fs::create_directories(dir / "sub");
            registro = {};
            Put("sub/M.EXE", "velho", 1);
            Update("sub\\M.EXE", "novo", 2, 1);
            // As a copy of a read-only server file leaves it: both systems refuse to replace it.
            if (readOnly) files->setAttributes(Path("sub\\M.EXE"), platform::attr::ReadOnly);
            const acervo::Entrada antes = *registro.Procura("sub\\M.EXE");
            ASSERT_EQ(antes.anterior, acervo::Anterior::Guardada) << when;
            if (cut >= 1) {
                ASSERT_TRUE(files->linkFile(Path("sub\\M.EXE"), Path(pendente))) << when;
            }
            if (cut >= 2) {
                files->setAttributes(Path("sub\\M.EXE"), platform::attr::Archive);
                ASSERT_TRUE(files->replaceFile(Path(guardado), Path("sub\\M.EXE"))) << when;
            }
            if (cut >= 3) {
                ASSERT_TRUE(files->replaceFile(Path(pendente), Path(guardado))) << when;
            }

            const retorno::Volta volta = retorno::VoltaUltimaAtualizacao(*files, pasta, registro);
            ASSERT_EQ(volta.arquivos.size(), 1u) << when;
            EXPECT_EQ(volta.arquivos[0].desfecho, Desfecho::Voltou) << when << ": " << volta.arquivos[0].motivo;
            EXPECT_EQ(Text("sub/M.EXE"), "velho") << when;
            EXPECT_EQ(files->stampOf(Path("sub\\M.EXE")), antes.versaoAnterior) << when;
            EXPECT_EQ(Text(guardado), "novo") << when;
            EXPECT_FALSE(files->fileExists(Path(pendente))) << when;
            const acervo::Entrada depois = *registro.Procura("sub\\M.EXE");
            EXPECT_EQ(depois.estado, acervo::Estado::Retido) << when;
            EXPECT_EQ(depois.local, antes.versaoAnterior) << when;
            EXPECT_EQ(depois.versaoAnterior, antes.local) << when;
            EXPECT_EQ(retorno::VoltaUltimaAtualizacao(*files, pasta, registro).situacao, retorno::Situacao::JaDesfeita);
        }
    }
}

TEST_F(Retorno, WhatNoLongerMatchesTheRecordIsLeftAlone) {
    fs::create_directories(dir / "sub");
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"o arquivo foi trocado depois da atualização", [&] { Put("sub/M.EXE", "outro", 9); }},
        {"o arquivo não está mais neste terminal", [&] { fs::remove(dir / "sub/M.EXE"); }},
        {"a versão anterior guardada sumiu ou foi alterada", [&] { fs::remove(dir / Native(guardado)); }},
        {"a versão anterior guardada sumiu ou foi alterada", [&] { Put(guardado, "mexido", 1); }},
    };
    for (const auto& [motivo, change] : changes) {
        Put("sub/M.EXE", "velho", 1);
        Update("sub\\M.EXE", "novo", 2, 7);
        fs::remove(dir / "NOVO.DLL");
        Update("NOVO.DLL", "novo", 3, 7);  // the terminal lacked it: nothing to give back
        change();
        const auto terminal = files->stampOf(Path("sub\\M.EXE"));
        const retorno::Volta volta = retorno::VoltaUltimaAtualizacao(*files, pasta, registro);
        ASSERT_EQ(volta.arquivos.size(), 2u);
        EXPECT_EQ(volta.arquivos[0].desfecho, Desfecho::Novo);
        EXPECT_EQ(volta.arquivos[1].desfecho, Desfecho::NaoVoltou);
        EXPECT_EQ(volta.arquivos[1].motivo, motivo);
        EXPECT_EQ(files->stampOf(Path("sub\\M.EXE")), terminal) << motivo;
        EXPECT_EQ(registro.Procura("sub\\M.EXE")->estado, acervo::Estado::Instalado) << motivo;
    }
}

// Keeping costs the file nothing: a second name left by a killed run goes, a copy that fails
// leaves the file with its read-only bit, a kept read-only version is replaced by the next one.
TEST_F(Retorno, KeepingLeavesTheFileAsItWasAndClearsWhatAKilledRunLeft) {
    fs::create_directories(dir / "sub");
    Put("sub/M.EXE", "velho", 1);
    files->setAttributes(Path("sub\\M.EXE"), platform::attr::ReadOnly);
    Put(pendente, "sobra de uma execução interrompida", 1);
    files->setAttributes(Path(pendente), platform::attr::ReadOnly);

    guarda.Prepara("sub\\M.EXE");
    EXPECT_EQ(Text(pendente), "velho");
    EXPECT_EQ(guarda.Conclui("sub\\M.EXE", false).anterior, acervo::Anterior::NaoGuardada);  // the copy failed
    EXPECT_FALSE(files->fileExists(Path(pendente)));
    EXPECT_EQ(Text("sub/M.EXE"), "velho");
    EXPECT_TRUE(ReadOnly("sub\\M.EXE"));

    Update("sub\\M.EXE", "novo", 2, 1);
    EXPECT_EQ(Text(guardado), "velho");
    files->setAttributes(Path("sub\\M.EXE"), platform::attr::ReadOnly);
    Update("sub\\M.EXE", "mais novo", 3, 2);
    EXPECT_EQ(Text(guardado), "novo");
    EXPECT_EQ(registro.Procura("sub\\M.EXE")->versaoAnterior, files->stampOf(Path(guardado)));
    EXPECT_EQ(Text("sub/M.EXE"), "mais novo");
    EXPECT_TRUE(avisos.empty()) << avisos[0];
}

}  // namespace
