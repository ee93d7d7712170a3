// The record of what the terminal holds: its digest, its file form (any damage reads as empty),
// its atomic writing, and the copy decision it adds to the time rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "acervo/acervo.h"
#include "acervo/arquivo.h"
#include "acervo/digest.h"
#include "platform/platform.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using acervo::Entrada;
using acervo::Estado;
using acervo::Versao;

std::string RandomBytes(std::mt19937& random, size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST(Digest, KnownValueAndAnyWayOfFeedingTheBytesGivesTheSame) {
    EXPECT_EQ(acervo::DigestOf(""), 0xEF46DB3751D8E999ULL);
    std::mt19937 random(7);
    for (size_t size : {1u, 3u, 4u, 7u, 8u, 31u, 32u, 33u, 64u, 100u, 1000u, 70000u}) {
        const std::string bytes = RandomBytes(random, size);
        acervo::Digest pieces;
        for (size_t at = 0; at < size;) {
            const size_t take = std::min<size_t>(size - at, random() % 40);
            pieces.Add(std::string_view(bytes).substr(at, take));
            at += take;
        }
        EXPECT_EQ(pieces.Value(), acervo::DigestOf(bytes)) << size;
        std::string flipped = bytes;
        flipped[random() % size] ^= static_cast<char>(1 << (random() % 8));
        EXPECT_NE(acervo::DigestOf(flipped), acervo::DigestOf(bytes)) << size;
        EXPECT_EQ(acervo::DigestFromText(acervo::DigestText(acervo::DigestOf(bytes))), acervo::DigestOf(bytes));
    }
    EXPECT_FALSE(acervo::DigestFromText("0123456789ABCDEF"));  // upper case is no digest of ours
    EXPECT_FALSE(acervo::DigestFromText("0123"));
}

acervo::Acervo Sample(std::mt19937& random, int entries) {
    acervo::Acervo record;
    for (int i = 0; i < entries; ++i) {
        Entrada e;
        e.nome = i % 3 == 0 ? "SUB\\Módulo " + std::to_string(i) + ".EXE" : "pk|=\t" + std::to_string(i) + ".bpl";
        e.servidor = {random() % 100000, static_cast<int64_t>(random()) * 1000 - 5};
        e.local = {random() % 100000, static_cast<int64_t>(random())};
        if (i % 2) e.conteudo = (static_cast<uint64_t>(random()) << 32) | random();
        e.estado = static_cast<Estado>(i % 3);
        e.execucao = 1 + i % 2;
        e.anterior = static_cast<acervo::Anterior>(i % 3);
        if (e.anterior == acervo::Anterior::Guardada) e.versaoAnterior = {random() % 1000, static_cast<int64_t>(random())};
        record.Registra(e);
    }
    record.LembraExecucao(entries + 5);  // the last run outlives its entries: above every entry's
    return record;
}

TEST(AcervoFile, ReadsBackWhatItWroteAndAnyDamageReadsAsEmpty) {
    std::mt19937 random(11);
    for (int entries : {0, 1, 5}) {
        const acervo::Acervo record = Sample(random, entries);
        const std::string text = acervo::Texto(record);
        EXPECT_EQ(acervo::DoTexto(text).Entradas(), record.Entradas());
        EXPECT_EQ(acervo::DoTexto(text).UltimaExecucao(), record.UltimaExecucao());
        EXPECT_FALSE(acervo::DoTexto(text).Alterado());  // read as it was: nothing to write back
        // Cut anywhere (a disk that lost the end) or any byte changed: nothing of it is believed.
        for (size_t cut = 0; cut < text.size(); ++cut)
            ASSERT_EQ(acervo::DoTexto(text.substr(0, cut)).Tamanho(), 0u) << "cut at " << cut;
        for (size_t at = 0; at < text.size(); ++at) {
            std::string damaged = text;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
            ASSERT_EQ(acervo::DoTexto(damaged).Tamanho(), 0u) << "byte " << at;
        }
    }
    EXPECT_EQ(acervo::DoTexto("lixo\n").Tamanho(), 0u);
    EXPECT_EQ(acervo::DoTexto(std::string(300, '\n')).Tamanho(), 0u);
}

// A terminal's record from a build that kept no versions still speaks for its files, after an
// upgrade: its entries belong to no run and kept nothing, so a step back finds nothing to take.
TEST(AcervoFile, ARecordFromBeforeVersionsWereKeptStillReads) {
    const std::string vazio = acervo::Texto(acervo::Acervo{});
    const std::string corpo = vazio.substr(0, vazio.find('\n') + 1) +
                              "servidor=10,1700000000\tlocal=10,1700000002\tconteudo=-\testado=instalado\tarquivo=QOR7.EXE\n";
    const acervo::Acervo lido = acervo::DoTexto(corpo + "fim=1," + acervo::DigestText(acervo::DigestOf(corpo)) + "\n");
    ASSERT_EQ(lido.Tamanho(), 1u);
    const acervo::Entrada e = lido.Entradas()[0];
    EXPECT_EQ(e.local, (platform::FileStamp{10, 1700000002}));
    EXPECT_EQ(e.execucao, 0u);
    EXPECT_EQ(e.anterior, acervo::Anterior::NaoGuardada);
    EXPECT_EQ(lido.UltimaExecucao(), 0u);
}

TEST(AcervoFile, WrittenWholeOrNotAtAllAndAMissingRecordIsEmpty) {
    testing_support::TempDir dir;
    auto files = platform::makeNativePlatform().files;
    EXPECT_EQ(acervo::Le(*files, dir.folder()).Tamanho(), 0u);
    std::mt19937 random(3);
    const acervo::Acervo first = Sample(random, 4);
    ASSERT_TRUE(acervo::Grava(*files, dir.folder(), first));
    EXPECT_EQ(acervo::Le(*files, dir.folder()).Entradas(), first.Entradas());

    // A write that fails partway leaves the old record, and no temporary beside it.
    auto faulty = std::make_shared<testing_support::FaultyFileSystem>(files);
    faulty->ShortWriteAtBlock(1);
    EXPECT_FALSE(acervo::Grava(*faulty, dir.folder(), Sample(random, 3)));
    EXPECT_EQ(acervo::Le(*files, dir.folder()).Entradas(), first.Entradas());
    size_t names = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++names;
    EXPECT_EQ(names, 1u);
}

Versao At(uint64_t size, int64_t time, std::optional<uint32_t> dos) { return {{size, time}, dos}; }

TEST(CopyDecision, TheRecordAddsCopiesForOtherVersionsAndHoldsBackWhatWasTakenBack) {
    const Versao server = At(100, 5000, 20), local = At(100, 4000, 20);
    // Not named by the record: strictly newer in the DOS form, missing, or nothing.
    EXPECT_FALSE(acervo::PrecisaCopiar(server, local, nullptr));
    EXPECT_TRUE(acervo::PrecisaCopiar(At(100, 5000, 22), local, nullptr));
    EXPECT_TRUE(acervo::PrecisaCopiar(server, std::nullopt, nullptr));
    EXPECT_FALSE(acervo::PrecisaCopiar(std::nullopt, local, nullptr));
    EXPECT_TRUE(acervo::PrecisaCopiar(At(1, 9, std::nullopt), At(1, 8, 20), nullptr));  // outside the DOS years

    const Entrada same{"A.EXE", server.stamp, local.stamp, std::nullopt, Estado::Instalado};
    EXPECT_FALSE(acervo::PrecisaCopiar(server, local, &same));
    // An earlier build put back, or the rest of a file copied while it was being published.
    EXPECT_TRUE(acervo::PrecisaCopiar(At(100, 3000, 18), local, &same));
    EXPECT_TRUE(acervo::PrecisaCopiar(At(200, 5000, 20), local, &same));
    Entrada unfinished = same;
    unfinished.estado = Estado::Incompleto;
    EXPECT_TRUE(acervo::PrecisaCopiar(server, local, &unfinished));
    // Taken back: that server version stays away even though it is newer; any other comes.
    Entrada heldBack = same;
    heldBack.estado = Estado::Retido;
    EXPECT_FALSE(acervo::PrecisaCopiar(At(100, 5000, 24), local, &heldBack));  // newer by its time
    EXPECT_TRUE(acervo::PrecisaCopiar(At(100, 3000, 18), local, &heldBack));
}

TEST(AcervoRecord, AnEntryCountsOnlyWhileTheTerminalFileIsAsTheCopyLeftIt) {
    acervo::Acervo record;
    record.Registra({"sub/Pk7.bpl", {10, 1}, {10, 2}, std::nullopt, Estado::Instalado});
    EXPECT_NE(record.Procura("SUB\\PK7.BPL"), nullptr);  // one file, however it is spelt
    EXPECT_NE(record.Vigente("Sub\\pk7.BPL", platform::FileStamp{10, 2}), nullptr);
    EXPECT_EQ(record.Vigente("sub/Pk7.bpl", platform::FileStamp{10, 3}), nullptr);  // changed outside
    EXPECT_EQ(record.Procura("sub/Pk7.bpl"), nullptr);                           // and forgotten
    record.Registra({"X.DLL", {1, 1}, {1, 1}, std::nullopt, Estado::Instalado});
    EXPECT_EQ(record.Vigente("x.dll", std::nullopt), nullptr);  // gone from the terminal
    EXPECT_EQ(record.Tamanho(), 0u);
    record.ComoLido();
    record.Esquece("nada.dll");
    record.Vigente("nada.dll", platform::FileStamp{1, 1});
    EXPECT_FALSE(record.Alterado());
}

}  // namespace
