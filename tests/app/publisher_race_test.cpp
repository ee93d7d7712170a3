// Real runs racing a publisher that writes the server's files the way a copy that keeps times
// does: the file is created or emptied, written in pieces with pauses (it is new and partial
// meanwhile), and given the build's earlier time at the end. Whatever the runs installed while
// it worked, one run after it finished leaves every terminal file identical to the server's.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <random>
#include <thread>

#include "platform/dos_time.h"
#include "platform/platform.h"
#include "run_fixture.h"
#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kFiles = {"ESTOQUE.EXE", "pkVendas7.bpl", "LIBREL.DLL"};

class PublisherRace : public ::testing::Test {
protected:
    PublisherRace() {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        fs::create_directories(dir / "rede/servidor/QOR7/TABDEF");
        fs::create_directories(dir / "estacao/terminal");
        fs::copy_file(ATUALIZA_EXE, Program());
        dir.write("rede/servidor/QOR7/TABDEF/MODULOS.DAT",
                  app_test::ModuleLine("ESTOQUE.EXE", "Estoque") + "\r\npkVendas7.bpl\r\nLIBREL.DLL\r\n");
        dir.write("estacao/terminal/qor.ini", "[QOR]\r\nServidor=servidor\r\nDiretorio_Servidor=" + dir.folder() +
                                                  "rede/servidor/QOR7/\r\n");
    }
    std::string Program() const { return (dir / "estacao/terminal" / fs::path(ATUALIZA_EXE).filename()).string(); }
    std::string ServerPath(const std::string& name) const { return (dir / "rede/servidor/QOR7" / name).string(); }
    void RunOnce() const {
        testing_support::RunAndWait(Program(), {}, (dir / "estacao/terminal").string(), 30,
                                    {(dir / "saida.txt").string()});
    }

    // One build of one file, written in place in pieces, its time set to `build` at the end.
    void Publish(const std::string& name, size_t size, char seed, const platform::LocalDateTime& build,
                 std::mt19937& random) const {
        const int fd = ::open(ServerPath(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
        ASSERT_GE(fd, 0);
        std::string piece;
        for (size_t written = 0; written < size;) {
            piece.assign(std::min<size_t>(size - written, 16384 + random() % 65536), static_cast<char>(seed + written % 13));
            ASSERT_EQ(::write(fd, piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
            written += piece.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 25));
        }
        ::close(fd);
        std::unique_ptr<platform::File> file = files->openRead(ServerPath(name));
        ASSERT_TRUE(file && file->setLastWriteDos(*platform::packDosDateTime(build)));
    }

    testing_support::TempDir dir;
    std::shared_ptr<platform::FileSystem> files = platform::makeNativePlatform().files;
};

// And a step back after it never installs a version that was never whole on the server: a
// repair of a file copied half-published carries the version kept before it forward.
TEST_F(PublisherRace, OneRunAfterThePublisherFinishesLeavesEveryFileAsTheServerHasIt) {
    std::map<std::string, std::set<std::string>> whole;  // every version each file had, whole
    std::mt19937 first(1);
    for (size_t i = 0; i < kFiles.size(); ++i) {
        Publish(kFiles[i], 100000, static_cast<char>('a' + i), {2024, 2, 1, 8, 0, 0}, first);
        whole[kFiles[i]].insert(dir.read("rede/servidor/QOR7/" + kFiles[i]));
    }
    RunOnce();
    std::atomic<bool> publishing = true;
    std::thread publisher([&] {
        std::mt19937 random(std::random_device{}());
        // Builds dated in the past, each later than the one before, each of another size.
        for (int round = 0; round < 3; ++round)
            for (size_t i = 0; i < kFiles.size(); ++i) {
                Publish(kFiles[i], 200000 + random() % 600000, static_cast<char>('A' + round * 3 + i),
                        {2024, 3, 1 + round, 8, 0, static_cast<int>(2 * i)}, random);
                whole[kFiles[i]].insert(dir.read("rede/servidor/QOR7/" + kFiles[i]));
            }
        publishing = false;
    });
    int runs = 0;
    for (; publishing; ++runs) RunOnce();
    publisher.join();
    RunOnce();
    for (const std::string& name : kFiles) {
        EXPECT_EQ(dir.read("estacao/terminal/" + name), dir.read("rede/servidor/QOR7/" + name)) << name << " after "
                                                                                                 << runs << " runs";
        EXPECT_EQ(files->lastWriteDos((dir / "estacao/terminal" / name).string()), files->lastWriteDos(ServerPath(name)))
            << name;
    }
    testing_support::RunAndWait(Program(), {"--voltar"}, (dir / "estacao/terminal").string(), 30,
                                {(dir / "saida.txt").string()});
    for (const std::string& name : kFiles)
        EXPECT_TRUE(whole[name].count(dir.read("estacao/terminal/" + name))) << name << " is a half after --voltar";
}

}  // namespace

#endif
