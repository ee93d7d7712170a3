// Move, rename and delete: one progress event per file, the overwrite rules of each, and what
// remains when the platform refuses.
#include <algorithm>

#include "fx_fixture.h"

using namespace fileops;
using namespace fx_testing;

TEST_F(FileManagerTest, MoveReportsOncePerFileByFileCount) {
    Write("a.txt", "aa");
    Write("b.txt", "bbb");
    fs::create_directory(dir / "out");
    fm.SetAction(faMove);
    EXPECT_TRUE(Run("?.txt", "out/*.*"));
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].substr(events[1].size() - 3), " 50");
    EXPECT_EQ(events[2], "progress 5 100");
    EXPECT_EQ(events[3], "end 0");
    EXPECT_EQ(Read("out/a.txt"), "aa");
    EXPECT_FALSE(Exists("a.txt"));
}

TEST_F(FileManagerTest, MoveOntoAnExistingFileWithoutOverwrite) {
    Write("a.txt", "new");
    Write("out/a.txt", "old");
    fm.SetAction(faMove);
    EXPECT_TRUE(Run("a.txt", "out/a.txt"));
    EXPECT_EQ(events, (Events{"start", "error 10", "end 2"}));
    fm.OnOverwrite = [](TFxFileManager&, bool& canOverwrite) { canOverwrite = false; };
    events.clear();
    EXPECT_TRUE(Run("a.txt", "out/a.txt"));
    EXPECT_EQ(events, (Events{"start", "end 2"}));
    EXPECT_EQ(Read("a.txt"), "new");
    EXPECT_EQ(Read("out/a.txt"), "old");
}

TEST_F(FileManagerTest, MoveReplacesAReadOnlyDestinationWithOverwrite) {
    Write("a.txt", "new");
    Write("out/a.txt", "old");
    MakeReadOnly("out/a.txt");
    fm.SetAction(faMove);
    fm.SetOptions(kDefaultFileOptions.With(foOverwrite));
    EXPECT_TRUE(Run("a.txt", "out/a.txt"));
    EXPECT_EQ(events.back(), "end 0");
    EXPECT_EQ(Read("out/a.txt"), "new");
    EXPECT_FALSE(Exists("a.txt"));
}

TEST_F(FileManagerTest, MoveOntoALockedFileFailsAndKeepsBoth) {
    Write("a.txt", "new");
    Write("out/a.txt", "old");
    MakeReadOnly("out/a.txt");
    const FileState before = State("out/a.txt");
    faulty->Lock("a.txt");  // the destination's name; the source is only moved away from
    fm.SetAction(faMove);
    fm.SetOptions(kDefaultFileOptions.With(foOverwrite));
    EXPECT_TRUE(Run("a.txt", "out/a.txt"));
    EXPECT_EQ(events, (Events{"start", "error 12", "progress 3 100", "end 2"}));
    EXPECT_EQ(State("out/a.txt"), before);
    EXPECT_EQ(Read("a.txt"), "new");
}

TEST_F(FileManagerTest, RenameOntoAnExistingNameFailsWhateverTheOptions) {
    Write("a.txt", "a");
    Write("b.txt", "b");
    fm.SetAction(faRename);
    fm.SetOptions(kDefaultFileOptions.With(foOverwrite));
    EXPECT_TRUE(Run("a.txt", "B.TXT"));
    EXPECT_EQ(events, (Events{"start", "error 10", "progress 1 100", "end 2"}));
    EXPECT_EQ(Read("a.txt"), "a");
    EXPECT_EQ(Read("b.txt"), "b");
}

TEST_F(FileManagerTest, RenameMapsEveryMatchInPlace) {
    Write("one.txt", "1");
    Write("two.txt", "22");
    fm.SetAction(faRename);
    EXPECT_TRUE(Run("*.txt", "*.bak"));
    EXPECT_EQ(events.back(), "end 0");
    EXPECT_EQ(fm.BytesProc(), 3);
    EXPECT_EQ(Read("one.bak"), "1");
    EXPECT_EQ(Read("two.bak"), "22");
    EXPECT_FALSE(Exists("one.txt"));
}

TEST_F(FileManagerTest, DeletingAReadOnlyFileSucceeds) {
    Write("a.txt", "abcd");
    MakeReadOnly("a.txt");
    fm.SetAction(faDelete);
    EXPECT_TRUE(Run("a.txt", ""));
    EXPECT_EQ(events, (Events{"start", "progress 4 100", "end 0"}));
    EXPECT_FALSE(Exists("a.txt"));
}

TEST_F(FileManagerTest, RefusedDeleteRestoresTheAttributes) {
    Write("a.txt", "a");
    Write("b.txt", "b");
    MakeReadOnly("a.txt");
    faulty->Lock("a.txt");
    fm.SetAction(faDelete);
    EXPECT_TRUE(Run("?.txt", ""));
    EXPECT_EQ(std::count(events.begin(), events.end(), "error 11"), 1);
    EXPECT_EQ(events.back(), "end 1");
    EXPECT_TRUE(Exists("a.txt"));
    EXPECT_NE(*native->attributes(Path("a.txt")) & platform::attr::ReadOnly, 0u);
    EXPECT_FALSE(Exists("b.txt"));
}
