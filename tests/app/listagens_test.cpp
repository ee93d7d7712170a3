// The copy decision from one listing per folder against the per-file calls it replaces: over
// random folders (letter case, sub-folders, folders named like files, links, times a step apart)
// every name reads the same either way, and judging a whole catalogue lists each folder once and
// asks nothing per name.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "app/catalogue.h"
#include "app/listagens.h"
#include "platform/dos_time.h"
#include "platform/forwarding_file_system.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Counts what the decision asks of the file system.
class CountingFiles : public platform::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::optional<std::vector<platform::DirEntry>> listFolder(const std::string& folder) override {
        ++listings[platform::upperAscii(folder)];
        return ForwardingFileSystem::listFolder(folder);
    }
    bool fileExists(const std::string& path) override { return ++perName, ForwardingFileSystem::fileExists(path); }
    std::optional<platform::FileStamp> stampOf(const std::string& path) override {
        return ++perName, ForwardingFileSystem::stampOf(path);
    }
    std::map<std::string, int> listings;
    int perName = 0;
};

std::string Spelt(std::mt19937& random, const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (random() % 2) c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    return out;
}

class ListingDecision : public ::testing::Test {
protected:
    // One folder of random entries; every name differs from the others ignoring case.
    void Fill(std::mt19937& random, const fs::path& folder, int depth) {
        fs::create_directories(folder);
        for (const char* base : {"qor7.exe", "PkBase7.bpl", "midas.dll", "Sub", "dados"}) {
            const std::string name = Spelt(random, base);
            const fs::path at = folder / name;
            switch (random() % (depth > 0 ? 6 : 4)) {
                case 0: break;  // missing
                case 1:
                case 2: {
                    dir.write(fs::relative(at, dir.path()).string(), std::string(random() % 3, 'x'));
                    const auto dos = platform::packDosDateTime({2024, 6, 1, 9, 0, static_cast<int>(random() % 3) * 2});
                    ASSERT_TRUE(files->openRead(at.string())->setLastWriteDos(*dos));
                    if (random() % 3 == 0)  // a second within the step
                        fs::last_write_time(at, fs::last_write_time(at) + std::chrono::seconds(1));
                    break;
                }
                case 3:
#ifndef _WIN32
                    fs::create_symlink(random() % 2 ? "em-lugar-nenhum" : "qor7.exe", at);  // dangling or not
#endif
                    break;
                default: Fill(random, at, depth - 1);  // a folder, maybe named like a file
            }
        }
    }
    std::vector<std::string> Queries(std::mt19937& random) {
        std::vector<std::string> names;
        for (const char* base : {"qor7.exe", "PkBase7.bpl", "midas.dll", "Sub", "dados", "nada.exe"}) {
            names.push_back(Spelt(random, base));
            names.push_back(Spelt(random, "sub") + (random() % 2 ? "\\" : "/") + Spelt(random, base));
            names.push_back(Spelt(random, "sub\\dados\\") + Spelt(random, base));
        }
        names.insert(names.end(), {"sub\\..\\qor7.exe", ".\\qor7.exe", "sub\\nada\\x.dll", "QOR7.EXE."});
        return names;
    }
    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
};

bool Same(const std::optional<acervo::Versao>& a, const std::optional<acervo::Versao>& b) {
    return a.has_value() == b.has_value() && (!a || (a->stamp == b->stamp && a->dos == b->dos));
}

TEST_F(ListingDecision, EveryNameReadsAsThePerFileCallsReadItAndFoldersAreListedOnce) {
    std::mt19937 random(2024);
    for (int round = 0; round < 25 && !HasFailure(); ++round) {
        fs::remove_all(dir / "srv");
        fs::remove_all(dir / "term");
        Fill(random, dir / "srv", 2);
        Fill(random, dir / "term", 2);
        auto counting = std::make_shared<CountingFiles>(files);
        app::Listagens folders(*counting);
        acervo::Acervo none;
        const std::string server = dir.folder() + "srv/", terminal = dir.folder() + "term/";
        for (const std::string& name : Queries(random)) {
            for (const std::string& folder : {server, terminal}) {
                const app::Listagens::Resposta found = folders.Procura(folder, name);
                EXPECT_TRUE(Same(found.versao, app::VersaoDe(*files, folder + name)))
                    << name << " in " << folder << " (round " << round << ")";
                EXPECT_TRUE(found.pastaLida) << name << ": the folders are all there, none may pass for unreadable";
            }
            const bool expected = acervo::PrecisaCopiar(app::VersaoDe(*files, server + name),
                                                        app::VersaoDe(*files, terminal + name), nullptr);
            EXPECT_EQ(app::DecideCopia(folders, none, name, server, terminal).copiar, expected) << name;
        }
        for (const auto& [folder, times] : counting->listings) EXPECT_EQ(times, 1) << folder;
        // Only the names that are not plain components ("..", ".", a trailing dot) asked per name.
        EXPECT_LE(counting->perName, 4 * 2 * 2 * 2) << "round " << round;
    }
}

}  // namespace
