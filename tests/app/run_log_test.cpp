// The run log on a real folder: entries with their time, a bound with one older generation, and
// a log that cannot be written taking nothing with it.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <regex>
#include <thread>

#include "app/run_log.h"
#include "platform/forwarding_file_system.h"
#include "app/run_state.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class RunLogTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    app::RegistroExecucao log{platform::makeNativePlatform().files, dir.folder()};
    std::string Read(std::string_view name) const {
        return fs::exists(dir / std::string(name)) ? dir.read(std::string(name)) : "";
    }
};

TEST_F(RunLogTest, EachEntryHasItsTimeAndMessageLinesStayTogether) {
    log.Escreve("primeira");
    log.Escreve("caixa:\rlinha 2\r\r");
    EXPECT_TRUE(std::regex_match(Read(app::kNomeLog),
                                 std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d primeira\r?\n"
                                            "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d caixa:\r?\n {20}linha 2\r?\n")))
        << Read(app::kNomeLog);
}

// Written far past its bound, the log never holds much more than 1 MiB, and the older
// generation is one file of about the same size: nothing else grows.
TEST_F(RunLogTest, PastItsBoundTheLogStartsAgainKeepingOneOlderGeneration) {
    const std::string entry(1000, 'x');
    for (int i = 0; i < 3000; ++i) {
        log.Escreve(std::to_string(i) + entry);
        ASSERT_LE(fs::file_size(dir / std::string(app::kNomeLog)), static_cast<uintmax_t>(app::kTamanhoMaximoLog));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
    EXPECT_GT(fs::file_size(dir / std::string(app::kNomeLogAnterior)), static_cast<uintmax_t>(app::kTamanhoMaximoLog) - 2000);
    EXPECT_NE(Read(app::kNomeLog).find("2999" + entry), std::string::npos);  // the newest entry is kept
}

// Writes entries of about 1 KB well past the bound, checking it after each; the last entry written.
std::string WritePastTheBound(app::RegistroExecucao& log, const fs::path& file) {
    const std::string entry(1000, 'x');
    std::string last;
    for (int i = 0; i < 2500; ++i) {
        last = std::to_string(i) + entry;
        log.Escreve(last);
        EXPECT_LE(fs::file_size(file), static_cast<uintmax_t>(app::kTamanhoMaximoLog)) << i;
        if (fs::file_size(file) > static_cast<uintmax_t>(app::kTamanhoMaximoLog)) break;
    }
    return last;
}

// An older generation that cannot be replaced (read-only; on Windows also held open by a viewer):
// the log keeps its newer half and says so, and the older generation stays as it is.
TEST_F(RunLogTest, WhenTheOlderGenerationCannotBeReplacedTheLogKeepsItsNewerHalf) {
    const std::string older = dir.write(std::string(app::kNomeLogAnterior), "antigo\n");
    auto files = platform::makeNativePlatform().files;
    ASSERT_TRUE(files->setAttributes(older, platform::attr::ReadOnly));
    auto viewer = files->openReadDenyWrite(older);
    const std::string last = WritePastTheBound(log, dir / std::string(app::kNomeLog));
    const std::string text = Read(app::kNomeLog);
    EXPECT_NE(text.find(last), std::string::npos);
    EXPECT_NE(text.find("registro encurtado: AtualizaTerminalQOR7.anterior.log não pôde ser substituído"), std::string::npos);
    EXPECT_GT(text.size(), static_cast<size_t>(app::kTamanhoMaximoLog) / 2 - 2000);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);  // no temporary left
    viewer.reset();
    files->setAttributes(older, platform::attr::Normal);
    EXPECT_EQ(Read(app::kNomeLogAnterior), "antigo\n");
}

// Neither file can be moved nor the log replaced (on Windows, a viewer holding the log open):
// the entries that would pass the bound are not written.
TEST_F(RunLogTest, WhenNothingCanMoveTheBoundStillHolds) {
    class NothingMoves : public platform::ForwardingFileSystem {
    public:
        using ForwardingFileSystem::ForwardingFileSystem;
        bool replaceFile(const std::string&, const std::string&) override { return false; }
    };
    app::RegistroExecucao held(std::make_shared<NothingMoves>(platform::makeNativePlatform().files), dir.folder());
    WritePastTheBound(held, dir / std::string(app::kNomeLog));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

TEST_F(RunLogTest, ALogThatCannotBeWrittenIsSkippedQuietly) {
    fs::create_directory(dir / std::string(app::kNomeLog));  // a folder in its place
    EXPECT_NO_THROW(log.Escreve("nada"));
    app::RegistroExecucao nowhere;
    EXPECT_NO_THROW(nowhere.Escreve("nada"));
    EXPECT_TRUE(fs::is_directory(dir / std::string(app::kNomeLog)));
}

// The start is stamped when the program started (not when a package window before the run closed),
// once per start, and says where each argument stood: an empty first one included.
TEST_F(RunLogTest, TheStartCarriesTheProgramsTimeAndEachArgumentsPosition) {
    const char* const argv[] = {"AtualizaTerminalQOR7.exe", "", "design"};
    app::GuardaArgumentos(3, argv);
    const std::time_t started = app::InicioDoPrograma();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    app::RegistraInicio(log);
    app::RegistraInicio(log);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&started));
    const std::string text = Read(app::kNomeLog);
    EXPECT_TRUE(std::regex_match(text, std::regex(std::string(stamp) + " === início: .*, argumentos: 1 \\[\\] 2 \\[design\\]\r?\n")))
        << text;
    app::GuardaArgumentos(0, nullptr);
}

}  // namespace
