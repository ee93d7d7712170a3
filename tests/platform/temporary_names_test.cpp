// The form of a copy's temporary, "~<name>.<8 lower-case hex digits>.tmp", against a regular
// expression of it: every name one edit away from a valid one (a character dropped, added or
// changed) is judged as the expression judges it, the shortest names included.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/temporary_names.h"

namespace {

TEST(TemporaryNames, TheFormIsJudgedAsItsExpressionJudgesItOneEditAroundValidNames) {
    const std::regex form("~.+\\.[0-9a-f]{8}\\.tmp");
    const std::string alphabet = "~.a0fgF9tmpTx ";
    int valid = 0, checked = 0;
    for (const std::string seed : {"~a.0123abcd.tmp", "~..89abcdef.tmp", "~QOR7.EXE.00000000.tmp"}) {
        ASSERT_TRUE(platform::IsTemporaryName(seed)) << seed;
        std::vector<std::string> near;
        for (size_t at = 0; at <= seed.size(); ++at) {
            if (at < seed.size()) near.push_back(seed.substr(0, at) + seed.substr(at + 1));
            for (char c : alphabet) {
                near.push_back(seed.substr(0, at) + c + seed.substr(at));
                if (at < seed.size()) near.push_back(seed.substr(0, at) + c + seed.substr(at + 1));
            }
        }
        for (const std::string& name : near) {
            const bool expected = std::regex_match(name, form);
            EXPECT_EQ(platform::IsTemporaryName(name), expected) << "\"" << name << "\"";
            valid += expected;
            ++checked;
        }
    }
    EXPECT_GT(valid, 100);  // both answers are met often
    EXPECT_GT(checked - valid, 500);
}

}  // namespace
