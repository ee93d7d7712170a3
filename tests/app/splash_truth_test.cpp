// What the FLTK splash shows while the run blocks (a fallback copy, a launch) is the state the run
// left it in, not the last frame the repaint throttle let through.
#include <gtest/gtest.h>

#include "splash_blocking.h"
#include "support/screen_pixels.h"
#include "support/xvfb_display.h"

#ifdef ATUALIZA_HAVE_FLTK
#include "ui/fltk/fltk_backend.h"

namespace {

TEST(SplashTruth, WhileTheRunBlocksTheScreenShowsWhatItWaitsFor) {
    testing_support::XvfbDisplay display;
    if (!display.Running()) GTEST_SKIP() << "Xvfb is not installed: no window test";
    ASSERT_TRUE(display.ServeThisProcess(ui::FltkDisplayAvailable)) << "Xvfb " << display.Name() << " did not come up";
    ui::Application application(ui::MakeFltkBackend());
    const auto screen = [&](ui::TForm& form) {
        return testing_support::ScreenPixelsOf(display.Name(), ui::NativeWindowId(form));
    };
    const auto moments = app_test::RunAndWatchTheBlocks(application, screen, ui::CaptureFormPixels);
    app_test::ExpectTheRunsBlocks(moments);
    app_test::ExpectScreenShowsTheModel(moments, "blocked");
}

}  // namespace
#endif
