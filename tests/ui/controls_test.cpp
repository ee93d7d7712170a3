#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/application.h"
#include "ui/controls.h"

namespace {

TEST(ProgressBar, KeepsPositionInsideRangeAndRefusesInvertedRange) {
    ui::TProgressBar bar("pgbr");
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(-5);
    EXPECT_EQ(bar.Position(), 0);

    bar.SetMax(5000000000);  // file sizes above 32 bits
    bar.SetPosition(4000000000);
    EXPECT_EQ(bar.Position(), 4000000000);
    bar.SetMax(1000);  // narrowing pulls the position in
    EXPECT_EQ(bar.Position(), 1000);

    bar.SetMin(10);
    EXPECT_THROW(bar.SetMax(9), std::invalid_argument);
    EXPECT_EQ(bar.Max(), 1000);
    EXPECT_THROW(bar.SetMin(1001), std::invalid_argument);
    EXPECT_EQ(bar.Min(), 10);
    bar.SetMax(10);  // an empty range is allowed
    EXPECT_EQ(bar.Position(), 10);
}

TEST(Timer, SchedulesOnEnableAndRegistersWhileItExists) {
    const size_t before = ui::AllTimers().size();
    {
        ui::TTimer timer("Timer1");
        timer.Interval = 500;
        EXPECT_EQ(ui::AllTimers().size(), before + 1);
        EXPECT_FALSE(timer.Enabled());

        const double now = ui::SteadySeconds();
        timer.SetEnabled(true);
        EXPECT_NEAR(timer.DueAt(), now + 0.5, 0.05);
        const double due = timer.DueAt();
        timer.SetEnabled(true);  // already on: the tick is not postponed
        EXPECT_EQ(timer.DueAt(), due);

        int ticks = 0;
        timer.OnTimer = [&] {
            ++ticks;
            // Already rescheduled while the handler runs.
            EXPECT_GT(timer.DueAt(), ui::SteadySeconds() + 0.4);
        };
        timer.Fire();
        EXPECT_EQ(ticks, 1);
    }
    EXPECT_EQ(ui::AllTimers().size(), before);
}

TEST(TreeView, BuildsNestedNodes) {
    ui::TTreeView tree("TreeView1");
    ui::TTreeNode* root = tree.AddRoot("C:\\QOR\\");
    ui::TTreeNode* child = root->Add("C:\\QOR\\*.bpl");
    child->Add("C:\\QOR\\a.bpl");
    ASSERT_EQ(tree.Items.size(), 1u);
    EXPECT_EQ(tree.Items[0]->Children[0]->Text, "C:\\QOR\\*.bpl");
    EXPECT_EQ(tree.Items[0]->Children[0]->Children[0]->Text, "C:\\QOR\\a.bpl");
}

TEST(ApplicationTitle, FileNameUpToFirstDotWithLaterCharactersLowered) {
    EXPECT_EQ(ui::ApplicationTitleFor("AtualizaTerminalQOR7.exe"), "Atualizaterminalqor7");
    EXPECT_EQ(ui::ApplicationTitleFor("C:\\QOR\\AtualizaTerminalQOR7.exe"), "Atualizaterminalqor7");
    EXPECT_EQ(ui::ApplicationTitleFor("/opt/qor/AtualizaTerminalQOR7"), "Atualizaterminalqor7");
    EXPECT_EQ(ui::ApplicationTitleFor("/opt/qor/atu.Setup.EXE"), "atu");
    EXPECT_EQ(ui::ApplicationTitleFor("/opt/v1.2/XYZ"), "Xyz");  // a dot in a folder name does not count
}

}  // namespace
