// The splash window drawn by the FLTK backend on a private virtual display.
#include <gtest/gtest.h>

#include "app/atualiza_modulo.h"
#include "splash_blocking.h"
#include "splash_pixels.h"
#include "support/png_file.h"
#include "support/xvfb_display.h"

#ifdef ATUALIZA_HAVE_FLTK
#include "ui/fltk/fltk_backend.h"

namespace {

TEST(SplashScreen, PaintsBackgroundLabelsGaugeAndErrorLine) {
    testing_support::XvfbDisplay& display = app_test::SharedDisplay();
    if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
    ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";

    ui::Application application(ui::MakeFltkBackend());
    app::TFrmAtuModulo splash(application, platform::Platform{platform::makeNativePlatform().files, {}, {}, {}});
    const app_test::SplashPictures pictures = app_test::CaptureSplashStates(application, splash, ui::CaptureFormPixels);

    // No window manager on the virtual display: the work area is the whole 1280 x 800 screen.
    EXPECT_EQ(splash.Left, 1280 - 501);
    EXPECT_EQ(splash.Top, 800 - 161);
    testing_support::WritePng(pictures.after, std::string(ATUALIZA_BUILD_DIR) + "/splash.png");
    testing_support::WritePng(pictures.failed, std::string(ATUALIZA_BUILD_DIR) + "/splash-failed.png");
    app_test::ExpectSplashPainted(pictures);
}

}  // namespace
#endif
