// Design mode: the package window before the splash window, in process and in the real program.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/design_mode.h"
#include "pack_fixture.h"
#include "packinfo/pack_form.h"
#include "platform/text.h"

namespace {

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

class DesignModeTest : public packinfo_test::PackTest {
protected:
    ui::Application application{ui::MakeHeadlessBackend()};
    // Runs design mode; returns what it wrote to standard output and how long the window stayed.
    std::string Run(double& seconds) {
        CaptureStdout();
        const auto start = std::chrono::steady_clock::now();
        app::ExecutaModoDesign(application, machine);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return GetCapturedStdout();
    }
};

// Whether the timer is armed is checked on the window itself (pack_form_test): a time limit here
// would fail on a loaded machine.
TEST_F(DesignModeTest, HeadlessWindowIsListedAndClosesWithoutTheMarker) {
    program.write("midas.dll", "");
    fs::create_directory(program / "pular.txt");  // a folder of that name does not count
    program.write("qor.ini", "[QOR]\r\nServidor=H\r\nDiretorio_Servidor=S:\\Sistemas\\QOR7\\\r\n");
    double unused = 0;
    const std::string out = Run(unused);
    const std::string p = program.folder();
    const std::string server = platform::pathForDisplay("S:\\Sistemas\\QOR7\\");  // "/" throughout on Linux
    EXPECT_EQ(out, "--- window Informações dos Pacotes\n" + p + "*.bpl\n" + p + "*.dll\n  " + p + "midas.dll\n" + server +
                       "*.bpl\n" + server + "*.dll\n");
    EXPECT_EQ(packinfo::FrmPKG, nullptr);
    EXPECT_EQ(application.MainForm(), nullptr) << "the splash window created next becomes the main window";
}

TEST_F(DesignModeTest, MarkerFileClosesTheWindowAfterHalfASecond) {
    program.write("pular.txt", "");
    double seconds = 0;
    Run(seconds);
    EXPECT_GE(seconds, 0.45);
    EXPECT_EQ(packinfo::FrmPKG, nullptr);
    EXPECT_EQ(application.MainForm(), nullptr);
}

TEST_F(DesignModeTest, FrmPkgIsSetWhileTheWindowIsShown) {
    program.write("pular.txt", "");
    packinfo::TFrmPKG* seen = nullptr;
    bool wasMain = false;
    ui::TTimer probe("probe");
    probe.Interval = 100;
    probe.OnTimer = [&] {
        probe.SetEnabled(false);
        seen = packinfo::FrmPKG;
        wasMain = seen && application.MainForm() == seen;
    };
    probe.SetEnabled(true);
    double seconds = 0;
    Run(seconds);
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(wasMain) << "the first form created is the main form while it lives";
    EXPECT_EQ(packinfo::FrmPKG, nullptr);
}

}  // namespace
