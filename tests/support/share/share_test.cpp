// The simulated share itself: it delays, counts and keeps what a client keeps; each fault does
// what it says; writes reach the folder; and no mount outlives its test, however the test ends.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <thread>

#include "support/share/share_mounts.h"
#include "support/share/simulated_share.h"
#include "support/temp_dir.h"

using testing_support::ShareOptions;
using testing_support::SimulatedShare;

namespace {

namespace fs = std::filesystem;

double SecondsOf(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The errno of opening a path for reading (0: it opened).
int OpenError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd == -1) return errno;
    ::close(fd);
    return 0;
}

// Reads a whole file; the bytes read before an error, and the error (0: none).
std::pair<std::string, int> ReadAll(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd == -1) return {bytes, errno};
    char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(got));
    const int error = got == -1 ? errno : 0;
    ::close(fd);
    return {bytes, error};
}

std::string RandomBytes(size_t size) {
    std::mt19937 random(size);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

class ShareTest : public ::testing::Test {
protected:
    testing_support::TempDir server;
};

TEST_F(ShareTest, EveryRequestWaitsItsDelayAndIsCountedByKind) {
    server.write("QOR7/TABDEF/MODULOS.DAT", "linha\r\n");
    const std::string package = RandomBytes(3 * 1024 * 1024 + 17);
    server.write("QOR7/pkBase.bpl", package);
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 40, .cacheSeconds = 60});
    SKIP_WITHOUT_SHARE(share);

    share.ResetCounters();
    struct stat st;
    const double seconds = SecondsOf([&] { ASSERT_EQ(::stat((share.folder() + "QOR7/TABDEF/MODULOS.DAT").c_str(), &st), 0); });
    std::map<std::string, int64_t> counters = share.Counters();
    EXPECT_EQ(counters["lookup"], 3);  // one a component: QOR7, TABDEF, MODULOS.DAT
    EXPECT_GE(seconds, 3 * 0.040);
    EXPECT_EQ(st.st_size, 7);

    EXPECT_EQ(ReadAll(share.folder() + "QOR7/pkBase.bpl"), std::make_pair(package, 0));
    EXPECT_EQ(std::distance(fs::directory_iterator(share.path() + "/QOR7"), fs::directory_iterator()), 2);
    counters = share.Counters();
    EXPECT_EQ(counters["read_bytes"], static_cast<int64_t>(package.size()));
    // (A close's release comes after the close has returned: not counted yet, perhaps.)
    for (const char* kind : {"open", "read", "opendir", "readdir"}) EXPECT_GE(counters[kind], 1) << kind;
}

TEST_F(ShareTest, TheClientKeepsNamesAndAttributesForTheCacheTimeOnly) {
    server.write("modulo.exe", "MZ");
    for (double cache : {60.0, 0.0}) {
        SCOPED_TRACE("cache " + std::to_string(cache));
        SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .cacheSeconds = cache});
        SKIP_WITHOUT_SHARE(share);
        struct stat st;
        for (const char* name : {"modulo.exe", "falta.exe"}) ::stat((share.folder() + name).c_str(), &st);
        share.ResetCounters();
        for (const char* name : {"modulo.exe", "falta.exe"}) ::stat((share.folder() + name).c_str(), &st);
        std::map<std::string, int64_t> counters = share.Counters();
        // Kept: nothing asked again, a missing name included. Not kept: each name asked again.
        if (cache > 0) EXPECT_EQ(counters["lookup"] + counters["getattr"], 0);
        else EXPECT_GE(counters["lookup"], 2);
    }
}

// As an SMB listing, a listing carries sizes and times: the files it listed are known without
// asking again, and many names come in one request.
TEST_F(ShareTest, AListingTellsTheClientEveryFileItListed) {
    for (int i = 0; i < 300; ++i) server.write("QOR7/MOD" + std::to_string(1000 + i) + ".EXE", std::string(i, 'x'));
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .cacheSeconds = 60});
    SKIP_WITHOUT_SHARE(share);
    share.ResetCounters();
    EXPECT_EQ(std::distance(fs::directory_iterator(share.path() + "/QOR7"), fs::directory_iterator()), 300);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(fs::file_size(share.folder() + "QOR7/MOD" + std::to_string(1000 + i) + ".EXE"), static_cast<uintmax_t>(i));
    std::map<std::string, int64_t> counters = share.Counters();
    EXPECT_LE(counters["getattr"] + counters["lookup"], 2);  // the root and the folder themselves
    EXPECT_LE(counters["readdir"], 10);
}

TEST_F(ShareTest, ReadsShareTheCappedBandwidth) {
    const std::string first = RandomBytes(2 * 1024 * 1024), second = RandomBytes(2 * 1024 * 1024 + 1);
    server.write("pacote1.bpl", first);
    server.write("pacote2.bpl", second);
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .mbit = 80});
    SKIP_WITHOUT_SHARE(share);
    // Two readers at once get no more than the wire: 4 MiB at 80 Mbit/s take at least 0.42 s.
    const double seconds = SecondsOf([&] {
        auto other = std::async(std::launch::async, [&] { return ReadAll(share.folder() + "pacote2.bpl"); });
        EXPECT_EQ(ReadAll(share.folder() + "pacote1.bpl").first, first);
        EXPECT_EQ(other.get().first, second);
    });
    EXPECT_GE(seconds, 4.0 * 1024 * 1024 * 8 / 80e6);
}

// Terminals are separate machines: uncached, readers of one file at once each fetch every byte.
TEST_F(ShareTest, UncachedEveryReaderFetchesItsOwnBytes) {
    const std::string package = RandomBytes(3 * 1024 * 1024);
    server.write("pacote.bpl", package);
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 1, .uncached = true});
    SKIP_WITHOUT_SHARE(share);
    std::vector<std::future<std::pair<std::string, int>>> readers;
    for (int i = 0; i < 4; ++i)
        readers.push_back(std::async(std::launch::async, [&] { return ReadAll(share.folder() + "pacote.bpl"); }));
    for (auto& reader : readers) EXPECT_EQ(reader.get(), std::make_pair(package, 0));
    EXPECT_EQ(share.Counters()["read_bytes"], 4 * static_cast<int64_t>(package.size()));
}

TEST_F(ShareTest, WritesRenamesAndDeletesReachTheFolder) {
    server.write("TERMINAIS/caixa1.txt", "antigo");
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0});
    SKIP_WITHOUT_SHARE(share);
    const std::string folder = share.folder() + "TERMINAIS/";
    std::ofstream(folder + "~caixa1.tmp") << "novo";
    fs::rename(folder + "~caixa1.tmp", folder + "caixa1.txt");  // a record replaced in one step
    fs::create_directory(folder + "sub");
    std::ofstream(folder + "sub/apagar.txt") << "x";
    fs::remove(folder + "sub/apagar.txt");
    fs::remove(folder + "sub");
    EXPECT_EQ(server.read("TERMINAIS/caixa1.txt"), "novo");
    EXPECT_EQ(std::distance(fs::directory_iterator(server / "TERMINAIS"), fs::directory_iterator()), 1);
    const std::map<std::string, int64_t> counters = share.Counters();
    EXPECT_EQ(counters.at("write_bytes"), 5);
    EXPECT_GE(counters.at("rename"), 1);
    EXPECT_GE(counters.at("unlink"), 1);
}

TEST_F(ShareTest, AFailingReadGivesTheBytesBeforeItsLimitThenAnIoError) {
    const std::string package = RandomBytes(6 * 1024 * 1024);
    server.write("QOR7/pkGrande.bpl", package);
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .cacheSeconds = 0});
    SKIP_WITHOUT_SHARE(share);
    share.FailReadsPast("qor7/PKGRANDE.BPL", 2 * 1024 * 1024);  // letter case ignored
    const auto [bytes, error] = ReadAll(share.folder() + "QOR7/pkGrande.bpl");
    EXPECT_EQ(error, EIO);
    EXPECT_LE(bytes.size(), 2u * 1024 * 1024);
    EXPECT_EQ(bytes, package.substr(0, bytes.size()));
    share.ClearFaults();
    EXPECT_EQ(ReadAll(share.folder() + "QOR7/pkGrande.bpl"), std::make_pair(package, 0));
}

TEST_F(ShareTest, TheShareGoesDownForEveryRequestAndComesBack) {
    server.write("QOR7/TABDEF/MODULOS.DAT", "linha\r\n");
    server.write("QOR7/QOR7.EXE", "MZ");
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .cacheSeconds = 0});
    SKIP_WITHOUT_SHARE(share);
    const std::string catalogue = share.folder() + "QOR7/TABDEF/MODULOS.DAT";

    share.GoDown();
    EXPECT_EQ(OpenError(catalogue), ENOTCONN);
    std::error_code listing;
    fs::directory_iterator(share.path(), listing);
    EXPECT_EQ(listing.value(), ENOTCONN);
    share.ComeBack();
    EXPECT_EQ(ReadAll(catalogue), std::make_pair(std::string("linha\r\n"), 0));

    // From a moment on: two opens of the module pass, the third request to open it fails, and
    // every request after it (of any kind, on any file).
    share.GoDownAfter(2, "open:QOR7/QOR7.EXE");
    EXPECT_EQ(OpenError(share.folder() + "QOR7/QOR7.EXE"), 0);
    EXPECT_EQ(OpenError(catalogue), 0);
    EXPECT_EQ(OpenError(share.folder() + "QOR7/QOR7.EXE"), 0);
    EXPECT_EQ(OpenError(share.folder() + "QOR7/QOR7.EXE"), ENOTCONN);
    EXPECT_EQ(OpenError(catalogue), ENOTCONN);
    share.ComeBack();
    EXPECT_EQ(OpenError(catalogue), 0);
}

TEST_F(ShareTest, OneRequestStallsOnceWhileOthersGoOn) {
    server.write("lento.bpl", "devagar");
    server.write("rapido.bpl", "depressa");
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .cacheSeconds = 0});
    SKIP_WITHOUT_SHARE(share);
    share.Stall(1.5, "open:lento.bpl");
    auto stalled = std::async(std::launch::async, [&] { return SecondsOf([&] { OpenError(share.folder() + "lento.bpl"); }); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(ReadAll(share.folder() + "rapido.bpl").first, "depressa");  // not held behind it
    EXPECT_GE(stalled.get(), 1.5);
    EXPECT_EQ(ReadAll(share.folder() + "lento.bpl").first, "devagar");
}

// A share taken down while a request stalls answers it at once: nothing waits for the stall.
TEST_F(ShareTest, UnmountingEndsAStallAndLeavesNoMountBehind) {
    server.write("lento.bpl", "devagar");
    std::string mountPoint;
    std::future<int> stalled;
    {
        SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0, .cacheSeconds = 0});
        SKIP_WITHOUT_SHARE(share);
        mountPoint = share.path();
        share.Stall(3600, "open:lento.bpl");
        stalled = std::async(std::launch::async, [&] { return OpenError(mountPoint + "/lento.bpl"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_NE(stalled.get(), 0);
    EXPECT_FALSE(share::IsShareMount(mountPoint));
    EXPECT_FALSE(fs::exists(mountPoint));
    EXPECT_EQ(server.read("lento.bpl"), "devagar");
}

// A test process killed with its share mounted: the server sees it go and unmounts.
TEST_F(ShareTest, AKilledTestLeavesNoMountBehind) {
    server.write("a.txt", "a");
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t test = ::fork();
    ASSERT_NE(test, -1);
    if (test == 0) {
        ::close(report[0]);
        SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0});
        const std::string line = (share.mounted() ? share.path() : std::string()) + "\n";
        (void)!::write(report[1], line.data(), line.size());
        ::pause();  // until killed
        ::_exit(0);
    }
    ::close(report[1]);
    std::string mountPoint;
    char c;
    while (::read(report[0], &c, 1) == 1 && c != '\n') mountPoint += c;
    ::close(report[0]);
    ::kill(test, SIGKILL);
    ::waitpid(test, nullptr, 0);
    if (mountPoint.empty()) GTEST_SKIP() << "the share could not be mounted here";
    for (int i = 0; i < 200 && share::IsShareMount(mountPoint); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(share::IsShareMount(mountPoint));
    EXPECT_EQ(server.read("a.txt"), "a");
    // The server removes its control socket last, once unmounted; then its folder can go.
    const fs::path folder = fs::path(mountPoint).parent_path();
    for (int i = 0; i < 200 && fs::exists(folder / "control"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fs::exists(folder / "control"));
    std::error_code ignored;
    for (const fs::path& left : {folder / "share", folder / "server.log", folder}) fs::remove(left, ignored);
}

// A server killed outright leaves a dead mount: it answers at once (no hang), and the next
// share to start, or a sweep, unmounts it.
TEST_F(ShareTest, ADeadServersMountFailsAtOnceAndIsSweptAway) {
    server.write("a.txt", "a");
    SimulatedShare share(server.path().string(), ShareOptions{.delayMs = 0});
    SKIP_WITHOUT_SHARE(share);
    ::kill(share.serverPid(), SIGKILL);
    for (int i = 0; i < 200 && ::kill(share.serverPid(), 0) == 0; ++i) {
        int status;
        if (::waitpid(share.serverPid(), &status, WNOHANG) == share.serverPid()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(OpenError(share.folder() + "a.txt"), ENOTCONN);
    ASSERT_TRUE(share::IsShareMount(share.path()));
    EXPECT_GE(share::SweepStaleMounts(), 1);
    EXPECT_FALSE(share::IsShareMount(share.path()));
    EXPECT_EQ(server.read("a.txt"), "a");
}

}  // namespace
