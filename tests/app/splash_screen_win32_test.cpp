// The splash window drawn by the Win32 backend (under Wine, on a virtual X display, on the build
// machine): its pixels at the start of the run and with the gauge at half and the error line shown,
// saved as splash-win32.png in the build folder.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "app/atualiza_modulo.h"
#include "splash_pixels.h"
#include "support/png_file.h"
#include "support/win32_input.h"
#include "ui/win32/win32_backend.h"

namespace {

TEST(SplashScreenWin32, PaintsBackgroundLabelsGaugeAndErrorLine) {
    if (!testing_support::DesktopAvailable()) GTEST_SKIP() << "no desktop to create windows on";

    ui::Application application(ui::MakeWin32Backend());
    app::TFrmAtuModulo splash(application, platform::Platform{platform::makeNativePlatform().files, {}, {}, {}});
    const app_test::SplashPictures pictures =
        app_test::CaptureSplashStates(application, splash, ui::CaptureWin32FormPixels);

    // In the bottom right corner of the desktop's work area.
    const std::optional<platform::Rect> area = application.WorkArea();
    ASSERT_TRUE(area);
    EXPECT_EQ(splash.Left, area->right - 501);
    EXPECT_EQ(splash.Top, area->bottom - 161);
    EXPECT_TRUE(testing_support::WritePng(pictures.after, std::string(ATUALIZA_BUILD_DIR) + "/splash-win32.png"));
    EXPECT_TRUE(testing_support::WritePng(pictures.failed, std::string(ATUALIZA_BUILD_DIR) + "/splash-failed-win32.png"));
    app_test::ExpectSplashPainted(pictures);
}

}  // namespace

#endif  // _WIN32
