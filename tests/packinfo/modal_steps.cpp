#include "modal_steps.h"

#include <gtest/gtest.h>

namespace packinfo_test {

void ShowModalInSteps(ui::Application& application, ui::TForm& form, const std::function<bool(int)>& step) {
    application.CreateForm(form);
    ui::TTimer driver("driver"), guard("guard");
    int tick = 0;
    driver.Interval = 150;
    driver.OnTimer = [&] {
        if (step(tick++)) driver.SetEnabled(false);
    };
    guard.Interval = 5000;
    guard.OnTimer = [&] {
        guard.SetEnabled(false);
        ADD_FAILURE() << "the window did not close";
        application.DestroyForm(form);
    };
    driver.SetEnabled(true);
    guard.SetEnabled(true);
    application.ShowModal(form);
    application.DestroyForm(form);
}

}  // namespace packinfo_test
