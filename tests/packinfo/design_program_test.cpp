// The real program in design mode, headless: the package window comes first, then the normal run.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/child_process.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // -1: killed at the deadline
    double seconds = 0;
    std::string output;  // standard output and error, in the order written
};

Outcome RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder) {
    const std::string outputFile = folder + "output.txt";
    const testing_support::ChildResult child =
        testing_support::RunAndWait(program, arguments, folder, 15, {outputFile, /*errorsToo=*/true});
    Outcome outcome{child.exitStatus.value_or(-1), child.seconds, {}};
    std::ifstream in(outputFile);
    outcome.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return outcome;
}

class DesignProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::SetEnv("ATUALIZA_UI", "headless");
        fs::copy_file(ATUALIZA_EXE, Program());
        folder.write("midas.dll", "");
    }
    std::string Program() const { return (folder / fs::path(ATUALIZA_EXE).filename().string()).string(); }
    Outcome Run(const char* second) { return RunProgram(Program(), {"", second}, folder.folder()); }
    testing_support::TempDir folder;
};

const char* const kWindow = "--- window Informações dos Pacotes\n";

TEST_F(DesignProgramTest, WindowComesFirstThenTheNormalRun) {
    const Outcome outcome = Run("design");
    ASSERT_EQ(outcome.status, 5) << outcome.output;
    const size_t window = outcome.output.find(kWindow);
    ASSERT_EQ(window, 0u) << outcome.output;
    EXPECT_NE(outcome.output.find("midas.dll\n"), std::string::npos);
    const size_t splash = outcome.output.find("FrmAtuModulo.");
    EXPECT_NE(splash, std::string::npos) << "the splash window follows";
    EXPECT_EQ(outcome.output.find(kWindow, window + 1), std::string::npos) << "shown once";
}

TEST_F(DesignProgramTest, MarkerKeepsTheWindowHalfASecondLonger) {
    folder.write("pular.txt", "");
    const Outcome outcome = Run("design");
    ASSERT_EQ(outcome.status, 5) << outcome.output;
    EXPECT_EQ(outcome.output.find(kWindow), 0u);
    EXPECT_NE(outcome.output.find("FrmAtuModulo."), std::string::npos);
    EXPECT_GE(outcome.seconds, 0.95) << "half a second of window, half a second to the splash's tick";
}

TEST_F(DesignProgramTest, OnlyTheExactLowerCaseWordShowsTheWindow) {
    for (const char* other : {"Design", "DESIGN", ""}) {
        const Outcome outcome = Run(other);
        ASSERT_EQ(outcome.status, 5) << other;
        EXPECT_EQ(outcome.output.find(kWindow), std::string::npos) << other;
        EXPECT_NE(outcome.output.find("FrmAtuModulo."), std::string::npos) << other;
    }
}

}  // namespace
#endif
