#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ui/application.h"

namespace {

// Records what the application asks of its backend.
class RecordingBackend : public ui::Backend {
public:
    explicit RecordingBackend(std::vector<std::string>& log, bool interactive = true)
        : log_(log), interactive_(interactive) {}
    std::string Name() const override { return "recording"; }
    void ShowForm(ui::TForm& form) override { log_.push_back("show " + form.Name); }
    void HideForm(ui::TForm& form) override { log_.push_back("hide " + form.Name); }
    void DestroyForm(ui::TForm& form) override { log_.push_back("destroy " + form.Name); }
    void Refresh(ui::TForm&) override { ++refreshes; }
    void Wait(double seconds) override {
        EXPECT_GE(seconds, 0.0);
        EXPECT_LE(seconds, 0.5);
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
    void Check() override { ++checks; }
    void PaintNow() override { log_.push_back("paint"); }
    ui::Answer MessageBox(ui::BoxKind, const std::string& title, const std::string& text, ui::BoxLayout) override {
        log_.push_back("box " + title + ": " + text);
        return ui::Answer::Yes;
    }
    std::optional<platform::Rect> WorkArea() override { return std::nullopt; }
    ui::ScreenSize Screen() override { return {800, 600}; }
    bool Interactive() const override { return interactive_; }

    static inline int refreshes = 0;
    static inline int checks = 0;

private:
    std::vector<std::string>& log_;
    bool interactive_;
};

class ApplicationTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    ui::Application app{std::make_unique<RecordingBackend>(log)};
    ui::TForm first{"First"};
    ui::TForm second{"Second"};
};

TEST_F(ApplicationTest, FirstCreatedFormIsMainUntilDestroyed) {
    EXPECT_EQ(ui::CurrentApplication(), &app);
    app.CreateForm(first);
    app.CreateForm(second);
    EXPECT_EQ(app.MainForm(), &first);
    app.DestroyForm(first);
    EXPECT_EQ(app.MainForm(), nullptr);
    ui::TForm third("Third");
    app.CreateForm(third);
    EXPECT_EQ(app.MainForm(), &third);
}

TEST_F(ApplicationTest, CloseActionsKeepHideOrDestroyOnce) {
    int destroyed = 0;
    ui::TCloseAction answer = ui::TCloseAction::caNone;
    second.OnClose = [&](ui::TCloseAction& action) {
        EXPECT_EQ(action, ui::TCloseAction::caHide);  // the default
        action = answer;
    };
    second.OnDestroy = [&] {
        ++destroyed;
        app.DestroyForm(second);  // asking again from inside changes nothing
    };
    app.CreateForm(first);
    app.CreateForm(second);

    app.RequestClose(second);
    EXPECT_TRUE(app.Alive(second));
    EXPECT_TRUE(log.empty());

    answer = ui::TCloseAction::caFree;
    app.RequestClose(second);
    app.RequestClose(second);
    app.DestroyForm(second);
    EXPECT_FALSE(app.Alive(second));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"destroy Second"}));
    EXPECT_FALSE(app.Terminated());
}

TEST_F(ApplicationTest, HidingTheMainFormEndsTheApplication) {
    app.CreateForm(first);
    app.CreateForm(second);
    app.RequestClose(second);  // default caHide: only hidden
    EXPECT_FALSE(app.Terminated());
    app.RequestClose(first);
    EXPECT_TRUE(app.Terminated());
    EXPECT_TRUE(app.Alive(first));
}

TEST_F(ApplicationTest, RunShowsMainFormAfterOnShowAndEndsOnTerminate) {
    first.OnShow = [&] { log.push_back("OnShow"); };
    ui::TTimer timer("Timer1");
    timer.Interval = 50;
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 3) app.Terminate();
    };
    timer.SetEnabled(true);
    app.CreateForm(first);
    const auto start = std::chrono::steady_clock::now();
    app.Run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(ticks, 3);
    EXPECT_GE(seconds, 0.14);
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(log, (std::vector<std::string>{"OnShow", "show First"}));
}

TEST_F(ApplicationTest, RunEndsWhenMainFormIsDestroyed) {
    first.OnClose = [](ui::TCloseAction& action) { action = ui::TCloseAction::caFree; };
    ui::TTimer timer("Timer1");
    timer.Interval = 10;
    timer.OnTimer = [&] { app.RequestClose(first); };
    timer.SetEnabled(true);
    app.CreateForm(first);
    app.Run();
    EXPECT_FALSE(app.Terminated());
    EXPECT_FALSE(app.Alive(first));
    EXPECT_EQ(log.back(), "destroy First");
}

TEST_F(ApplicationTest, ProcessMessagesRefreshesShownFormsAndFiresOnlyDueTimers) {
    ui::TTimer due("due"), later("later");
    int dueTicks = 0, laterTicks = 0;
    due.Interval = 0;
    due.OnTimer = [&] { ++dueTicks; };
    due.SetEnabled(true);
    later.Interval = 10000;
    later.OnTimer = [&] { ++laterTicks; };
    later.SetEnabled(true);
    app.CreateForm(first);
    app.CreateForm(second);  // never shown: not refreshed
    first.OnShow = [&] { app.Terminate(); };
    app.Run();  // shows the main form, then ends at once
    RecordingBackend::refreshes = RecordingBackend::checks = 0;
    app.ProcessMessages();
    EXPECT_EQ(RecordingBackend::refreshes, 1);
    EXPECT_EQ(RecordingBackend::checks, 1);
    EXPECT_EQ(dueTicks, 1);
    EXPECT_EQ(laterTicks, 0);
}

TEST_F(ApplicationTest, MessageBoxCarriesTheTitleAndKeysReachTheForm) {
    app.Title = "Atualizaterminalqor7";
    EXPECT_EQ(app.MessageBox(ui::BoxKind::Plain, "texto"), ui::Answer::Yes);
    // The windows' last state is on the screen before the box holds everything up.
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "paint");
    EXPECT_EQ(log.back(), "box Atualizaterminalqor7: texto");

    char seen = 0;
    first.OnKeyPress = [&](char& key) { seen = key; };
    app.CreateForm(first);
    char escape = 27;
    app.KeyPress(first, escape);
    EXPECT_EQ(seen, 27);
}

TEST_F(ApplicationTest, ScreenCentredFormIsPlacedBeforeShowing) {
    second.ClientWidth = 512;
    second.ClientHeight = 388;
    second.StartPosition = ui::Position::ScreenCenter;
    second.OnShow = [&] { app.RequestClose(second); };
    app.ShowModal(second);
    EXPECT_EQ(second.Left, (800 - 512) / 2);
    EXPECT_EQ(second.Top, (600 - 388) / 2);
}

TEST(ApplicationForms, AFormObjectThatGoesAwayLosesItsWindowWithoutDestroyHandler) {
    std::vector<std::string> log;
    ui::Application app(std::make_unique<RecordingBackend>(log));
    int destroyed = 0;
    {
        ui::TForm form("Short");
        form.OnDestroy = [&] { ++destroyed; };
        app.CreateForm(form);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"destroy Short"}));
    EXPECT_EQ(app.MainForm(), nullptr);
}

TEST(ApplicationWithoutPerson, ModalFormClosesAtOnceUnlessATimerWillCloseIt) {
    std::vector<std::string> log;
    ui::Application app(std::make_unique<RecordingBackend>(log, false));
    ui::TForm modal("FrmPKG");
    int closes = 0;
    modal.OnClose = [&](ui::TCloseAction& action) {
        ++closes;
        action = ui::TCloseAction::caFree;
    };
    app.CreateForm(modal);
    app.ShowModal(modal);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(app.Alive(modal));

    ui::TForm timed("Timed");
    ui::TTimer timer("Timer1");
    timer.Interval = 100;
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        app.RequestClose(timed);
    };
    timed.OnShow = [&] { timer.SetEnabled(true); };
    const auto start = std::chrono::steady_clock::now();
    app.ShowModal(timed);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 0.09);
    EXPECT_EQ(log.back(), "hide Timed");
}

}  // namespace
