// The real splash window and update run, on a terminal whose second copy fails: what the screen
// shows while the fallback copy blocks and while the main module starts, against the window's
// model painted at that moment. Shared by the FLTK and the Win32 tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "run_fixture.h"
#include "ui/application.h"
#include "ui/controls.h"

namespace app { class TFrmAtuModulo; }

namespace testing_support { class XvfbDisplay; }

namespace app_test {

// One virtual display for every FLTK test of this program: the toolkit keeps its first connection
// until the process ends.
testing_support::XvfbDisplay& SharedDisplay();

// Runs `body` where the update run would, with the splash shown as the program shows it.
void WhileTheSplashRuns(ui::Application& application, app::TFrmAtuModulo& splash, const std::function<void()>& body);

// Puts an early frame on the screen (a package at 8,192 bytes of 40,000), then a later state that
// the repaint throttle holds back (the last module copied whole).
void EarlyFrameThenLaterState(ui::Application& application, app::TFrmAtuModulo& splash);

struct BlockedMoment {
    std::string what;
    ui::Picture screen;  // as the screen showed it while the run waited
    ui::Picture model;   // the window's model, painted then and there
};

// `screen` reads the window from outside the toolkit; `model` paints the form and reads it.
std::vector<BlockedMoment> RunAndWatchTheBlocks(ui::Application& application,
                                                const std::function<ui::Picture(ui::TForm&)>& screen,
                                                const std::function<ui::Picture(ui::TForm&)>& model);

// The moments of that run: the fallback copies, then the launch of the main module.
void ExpectTheRunsBlocks(const std::vector<BlockedMoment>& moments);

// The two pictures of each moment are the same, pixel for pixel; both saved as PNG in the build
// folder under `prefix`.
void ExpectScreenShowsTheModel(const std::vector<BlockedMoment>& moments, const std::string& prefix);

// A terminal that an update (headless) brought two modules to, their earlier versions kept: a
// step back on it has something to take back and a box of columns to show.
class UpdatedTerminal : public RunTest {
protected:
    UpdatedTerminal();
    // The splash for --voltar on `screen`, its step back run by `body` (which calls the click).
    void StepBack(ui::Application& screen, const std::function<void(app::TFrmAtuModulo&)>& body);
};

// The splash as a step back shows it: no copy label, no byte counters.
void ExpectNoWordOfCopying(const ui::Picture& splash);

}  // namespace app_test
