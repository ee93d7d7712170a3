#include <gtest/gtest.h>

#include "app/run_state.h"

namespace {

void Guarda(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    app::GuardaArgumentos(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, MissingArgumentsReadAsEmptyAndLaterOnesAreIgnored) {
    Guarda({"AtualizaTerminalQOR7.exe"});
    EXPECT_EQ(app::ParamStr(1), "");
    EXPECT_EQ(app::ParamStr(2), "");
    EXPECT_FALSE(app::ModoDesign());

    Guarda({"AtualizaTerminalQOR7.exe", "F", "design", "extra"});
    EXPECT_EQ(app::ParamStr(1), "F");
    EXPECT_EQ(app::ParamStr(2), "design");
    EXPECT_EQ(app::ParamStr(3), "");
    EXPECT_TRUE(app::ModoDesign());

    Guarda({"AtualizaTerminalQOR7.exe", "F"});  // a later call forgets the earlier argument 2
    EXPECT_EQ(app::ParamStr(2), "");
}

TEST(CommandLine, DesignModeOnlyForTheExactLowerCaseWord) {
    for (const char* other : {"Design", "DESIGN", "design ", "designs", ""}) {
        Guarda({"exe", "", other});
        EXPECT_FALSE(app::ModoDesign()) << other;
    }
    Guarda({"exe", "", "design"});
    EXPECT_TRUE(app::ModoDesign());
    Guarda({"exe", "design"});  // argument 1 does not count
    EXPECT_FALSE(app::ModoDesign());
}

}  // namespace
