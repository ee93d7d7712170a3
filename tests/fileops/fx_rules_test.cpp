// The parts of the file operation component that need no disk: name mapping, masks, statuses.
#include <gtest/gtest.h>

#include "fileops/fx_file_types.h"
#include "fileops/fx_names.h"
#include "fileops/fx_rules.h"
#include "platform/text.h"

using namespace fileops;

TEST(FxNames, ApplyMaskMapsEveryExampleOfTheTable) {
    struct Case {
        const char* source;
        const char* destination;
        const char* expected;
    };
    const Case cases[] = {
        {"report.txt", "*.bak", "report.bak"}, {"report.txt", "*.*", "report.txt"},
        {"xyz.txt", "A?C.*", "AyC.txt"},       {"module.exe", "new*", "newule"},
        {"ab.txt", "????.txt", "ab.txt"},      {"QOR7.EXE", "QOR7.EXE", "QOR7.EXE"},
    };
    for (const Case& c : cases) {
        std::string target = ApplyMask(NamePart(c.source), NamePart(c.destination));
        const std::string ext = ApplyMask(ExtPart(c.source), ExtPart(c.destination));
        if (!ext.empty()) target += "." + ext;
        EXPECT_EQ(target, c.expected) << c.source << " through " << c.destination;
    }
}

TEST(FxNames, ApplyMaskWildcardsBeyondTheSourceAddNothingAndLiteralsStay) {
    EXPECT_EQ(ApplyMask("ab", "?x?y*z"), "axyz");  // "?" at 3 and "*" at 5 fall beyond "ab"
    EXPECT_EQ(ApplyMask("abc", "*def"), "abc");      // the rest of the mask is ignored after "*"
    EXPECT_EQ(ApplyMask("", "BAK"), "BAK");
    EXPECT_EQ(ApplyMask("", "*"), "");
    EXPECT_EQ(ApplyMask("çãoé", "?x*"), "çxoé");  // characters, not bytes
}

TEST(FxNames, DirNameAndExtensionParts) {
    EXPECT_EQ(DirOf("\\\\srv\\share\\QOR7.EXE"), "\\\\srv\\share\\");
    EXPECT_EQ(DirOf("/srv/exe/qor7.exe"), "/srv/exe/");
    EXPECT_EQ(DirOf("QOR7.EXE"), "");
    EXPECT_EQ(DirOf("dir\\"), "dir\\");
    EXPECT_EQ(NamePart("c\\a.b.txt"), "a.b");
    EXPECT_EQ(ExtPart("c\\a.b.txt"), "txt");
    EXPECT_EQ(NamePart("dir.x\\noext"), "noext");
    EXPECT_EQ(ExtPart("dir.x\\noext"), "");
    EXPECT_EQ(ExtPart("trailing."), "");
    EXPECT_EQ(NamePart(".hidden"), "");
    EXPECT_EQ(ExtPart(".hidden"), "hidden");
}

TEST(FxRules, AttrMaskFollowsTheListingOptions) {
    EXPECT_EQ(AttrMask(kDefaultFileOptions), 0x20A7u);
    EXPECT_EQ(AttrMask(TFxFileOptions{}), 0x20A0u);
    EXPECT_EQ(AttrMask(TFxFileOptions{foHiddenFiles}), 0x20A2u);
    EXPECT_EQ(AttrMask(TFxFileOptions{foReadOnlyFiles, foSysFiles}), 0x20A5u);
}

TEST(FxRules, OptionsAreOneByteWithOptionNAtBitN) {
    static_assert(sizeof(TFxFileOptions) == 1);
    EXPECT_EQ(kDefaultFileOptions, (TFxFileOptions{foCopyDateTime, foCopyAttr, foCheckSpace, foReadOnlyFiles,
                                                   foHiddenFiles, foSysFiles}));
    EXPECT_EQ(kDefaultFileOptions.With(foOverwrite).Byte(), 0xFB);
    EXPECT_EQ(kDefaultFileOptions.Without(foSysFiles).Byte(), 0x73);
    EXPECT_TRUE(TFxFileOptions{foCreateDir}.Contains(foCreateDir));
    EXPECT_FALSE(TFxFileOptions{foCreateDir}.Contains(foOverwrite));
}

TEST(FxRules, OrdinalsAreThoseHandlersReceive) {
    EXPECT_EQ(static_cast<int>(feMoveError), 12);
    EXPECT_EQ(static_cast<int>(feDestExists), 10);
    EXPECT_EQ(static_cast<int>(feNoSpace), 7);
    EXPECT_EQ(static_cast<int>(fsError), 4);
    EXPECT_EQ(static_cast<int>(faMove), 3);
}

TEST(FxRules, FinalStatusTakesTheFirstRuleThatApplies) {
    EXPECT_EQ(FinalStatus(false, true, 3, 3), fsError);
    EXPECT_EQ(FinalStatus(true, true, 3, 3), fsAborted);
    EXPECT_EQ(FinalStatus(true, false, 0, 3), fsNone);
    EXPECT_EQ(FinalStatus(true, false, 3, 3), fsComplete);
    EXPECT_EQ(FinalStatus(true, false, 2, 3), fsPartial);
}

TEST(FxRules, PercentRoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundedPercent(8192, 20000), 41);
    EXPECT_EQ(RoundedPercent(16384, 20000), 82);
    EXPECT_EQ(RoundedPercent(20000, 20000), 100);
    EXPECT_EQ(RoundedPercent(1, 8), 12);   // 12.5
    EXPECT_EQ(RoundedPercent(3, 8), 38);   // 37.5
    EXPECT_EQ(RoundedPercent(1, 40), 2);   // 2.5
    EXPECT_EQ(RoundedPercent(1, 3), 33);
    EXPECT_EQ(RoundedPercent(2, 3), 67);
    const int64_t big = int64_t{3} << 30;  // 3 GiB: no overflow, no negative figure
    EXPECT_EQ(RoundedPercent(big / 2, big), 50);
    EXPECT_EQ(RoundedPercent(big - 1, big), 100);
}

TEST(FxRules, DestinationFoldersNeverLookedFor) {
    EXPECT_FALSE(DestDirNeedsCheck(""));
    EXPECT_FALSE(DestDirNeedsCheck("\\"));
    EXPECT_FALSE(DestDirNeedsCheck("/"));
    EXPECT_TRUE(DestDirNeedsCheck("/tmp/x/"));
    if (platform::kColonIsDriveDelimiter) {
        EXPECT_FALSE(DestDirNeedsCheck("C:\\"));
        EXPECT_TRUE(DestDirNeedsCheck("C:\\QOR\\"));
    } else {
        EXPECT_TRUE(DestDirNeedsCheck("/data/a:b/"));  // a colon is a name character here
    }
}

TEST(FxRules, NetworkPathsStartWithTwoBackslashes) {
    EXPECT_TRUE(IsNetworkPath("\\\\SRV\\QOR\\"));
    EXPECT_FALSE(IsNetworkPath("\\QOR\\"));
    EXPECT_FALSE(IsNetworkPath("C:\\"));
}
