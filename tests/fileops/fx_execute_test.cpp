// Execute as a whole: listing and its attribute filter, destination mapping, the checks of each
// action in order, the missing destination folder, end statuses, Abort and state resets.
#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "fx_fixture.h"

using namespace fileops;
using namespace fx_testing;

TEST_F(FileManagerTest, NothingListableFiresInvalidSourceWithoutStartOrEnd) {
    fs::create_directory(dir / "folder.txt");
    Write("target.dat", "x");
    std::error_code linkError;
    fs::create_symlink(dir / "target.dat", dir / "link.txt", linkError);
#ifdef _WIN32
    // Windows lets only privileged users make links: without one the folder stands alone.
    if (linkError) std::cout << "(no link: " << linkError.message() << ")\n";
#else
    ASSERT_FALSE(linkError) << linkError.message();
#endif
    EXPECT_FALSE(Run("*.txt", "out.txt"));
    EXPECT_EQ(events, Events{"error 0"});
    EXPECT_FALSE(Run("missing.txt", "out.txt"));
    EXPECT_EQ(events, (Events{"error 0", "error 0"}));
    EXPECT_FALSE(Exists("out.txt"));
}

TEST_F(FileManagerTest, HiddenAndReadOnlyFilesAreListedOnlyWithTheirOptions) {
    Write(".hidden.txt", "h");
    MakeHidden(".hidden.txt");
    Write("locked.txt", "r");
    Write("plain.txt", "p");
    MakeReadOnly("locked.txt");
    fm.SetAction(faDelete);
    fm.SetOptions(TFxFileOptions{});
    fm.SetSource(Path("*.txt"));
    fm.OnProcessFile = [](TFxFileManager&, bool& skip) { skip = true; };  // list only
    fm.Execute();
    EXPECT_EQ(fm.ListSrc(), std::vector<std::string>{Path("plain.txt")});
    EXPECT_EQ(fm.BytesCount(), 1);

    fm.SetOptions(TFxFileOptions{foHiddenFiles, foReadOnlyFiles});
    fm.Execute();
    std::vector<std::string> listed = fm.ListSrc();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{Path(".hidden.txt"), Path("locked.txt"), Path("plain.txt")}));
    EXPECT_EQ(fm.BytesCount(), 3);
}

TEST_F(FileManagerTest, WildcardDestinationMapsEverySourceIntoItsFolder) {
    Write("src/report.txt", "one");
    Write("src/module.exe", "two");
    fs::create_directory(dir / "out");
    fm.SetOptions(kDefaultFileOptions);
    EXPECT_TRUE(Run("src/report.*", "out/*.bak"));
    EXPECT_EQ(Read("out/report.bak"), "one");
    EXPECT_TRUE(Run("src/module.exe", "out/new*"));
    EXPECT_EQ(fm.ListDest(), std::vector<std::string>{Path("out/newule")});
    EXPECT_EQ(Read("out/newule"), "two");
    EXPECT_TRUE(Run("src/*.txt", "out/A?C.*"));
    EXPECT_EQ(Read("out/AeC.txt"), "one");
}

TEST_F(FileManagerTest, SourcesMappedToOneNameAreAmbiguousAndNothingIsCopied) {
    Write("a.txt", "a");
    Write("b.txt", "b");
    fs::create_directory(dir / "out");
    EXPECT_FALSE(Run("?.txt", "out/one.txt"));
    EXPECT_EQ(events, (Events{"start", "error 1", "end 4"}));
    EXPECT_EQ(fm.ListDest().size(), 1u);
    EXPECT_FALSE(Exists("out/one.txt"));
}

TEST_F(FileManagerTest, SameFileInAnyLetterCaseIsRefused) {
    Write("Same.txt", "keep");
    EXPECT_FALSE(Run("Same.txt", "SAME.TXT"));
    EXPECT_EQ(events, (Events{"start", "error 2", "end 4"}));
    EXPECT_EQ(Read("Same.txt"), "keep");
}

TEST_F(FileManagerTest, DestinationEndingWithABackslashIsTheFolderItself) {
    Write("a.txt", "a");
    Write("b.txt", "b");
    fs::create_directory(dir / "out");
    EXPECT_TRUE(Run("a.txt", "out\\"));
    EXPECT_EQ(fm.ListDest(), std::vector<std::string>{Path("out\\")});
    EXPECT_EQ(events, (Events{"start", "error 5", "end 2"}));
    EXPECT_TRUE(fs::is_directory(dir / "out"));
    EXPECT_TRUE(TemporaryFiles(dir / "out").empty());
    events.clear();
    EXPECT_FALSE(Run("?.txt", "out\\"));
    EXPECT_EQ(events, (Events{"start", "error 1", "end 4"}));
}

TEST_F(FileManagerTest, MissingFolderWithoutHandlerOrOptionIsAnError) {
    Write("a.txt", "a");
    EXPECT_FALSE(Run("a.txt", "new/a.txt"));
    EXPECT_EQ(events, (Events{"start", "error 3", "end 4"}));
    EXPECT_FALSE(Exists("new"));
}

TEST_F(FileManagerTest, MissingFolderAsksTheHandlerAndNeverFiresTheError) {
    Write("a.txt", "a");
    int asked = 0;
    bool answer = false;
    fm.OnCreateDirectory = [&](TFxFileManager&, bool& canCreate) {
        ++asked;
        EXPECT_FALSE(canCreate);
        canCreate = answer;
    };
    EXPECT_FALSE(Run("a.txt", "new/a.txt"));
    EXPECT_EQ(events, (Events{"start", "end 4"}));
    EXPECT_FALSE(Exists("new"));
    answer = true;
    EXPECT_TRUE(Run("a.txt", "new/deeper/a.txt"));
    EXPECT_EQ(Read("new/deeper/a.txt"), "a");
    EXPECT_EQ(asked, 2);
}

TEST_F(FileManagerTest, CreateDirOptionBuildsTheTreeSilently) {
    Write("a.txt", "a");
    int asked = 0;
    fm.OnCreateDirectory = [&](TFxFileManager&, bool&) { ++asked; };
    fm.SetOptions(kDefaultFileOptions.With(foCreateDir));
    EXPECT_TRUE(Run("a.txt", "x/y/z/a.txt"));
    EXPECT_EQ(events, (Events{"start", "progress 1 100", "end 0"}));
    EXPECT_EQ(Read("x/y/z/a.txt"), "a");
    EXPECT_EQ(asked, 0);
}

TEST_F(FileManagerTest, EndStatusCountsHandledFiles) {
    Write("a.txt", "a");
    Write("b.txt", "b");
    fs::create_directory(dir / "out");
    EXPECT_TRUE(Run("?.txt", "out/*.*"));
    EXPECT_EQ(events.back(), "end 0");
    EXPECT_EQ(fm.FilesProc(), 2);

    faulty->MakeUnreadable("b.txt");
    EXPECT_TRUE(Run("?.txt", "out/*.bak"));
    EXPECT_EQ(events.back(), "end 1");
    EXPECT_EQ(fm.FilesProc(), 1);

    fm.OnProcessFile = [](TFxFileManager&, bool& skip) { skip = true; };
    EXPECT_TRUE(Run("?.txt", "out/*.old"));
    EXPECT_EQ(events.back(), "end 2");
    EXPECT_FALSE(Exists("out/a.old"));
}

TEST_F(FileManagerTest, AbortFromStartEndsWithoutEndOrAnyFileTouched) {
    Write("a.txt", "a");
    fm.OnStart = [&](TFxFileManager& sender) {
        events.push_back("start");
        sender.Abort();
    };
    EXPECT_FALSE(Run("a.txt", "b.txt"));
    EXPECT_EQ(events, Events{"start"});
    EXPECT_FALSE(Exists("b.txt"));
    EXPECT_TRUE(fm.Aborted());
}

TEST_F(FileManagerTest, AbortDuringTheLoopStopsAfterTheCurrentFile) {
    Write("a.txt", "a");
    Write("b.txt", "b");
    fs::create_directory(dir / "out");
    fm.SetAction(faDelete);
    fm.OnProgress = [&](TFxFileManager& sender) {
        events.push_back("progress");
        sender.Abort();
    };
    EXPECT_TRUE(Run("?.txt", ""));
    EXPECT_EQ(events, (Events{"start", "progress", "end 3"}));
    EXPECT_EQ(fm.FilesProc(), 1);
    EXPECT_EQ(Exists("a.txt") + Exists("b.txt"), 1);
}

TEST_F(FileManagerTest, ChangingSourceOrDestinationClearsTheLastRunOnly) {
    Write("a.txt", "abc");
    EXPECT_TRUE(Run("a.txt", "b.txt"));
    fm.SetSource(Path("a.txt"));
    fm.SetDestination(Path("b.txt"));
    EXPECT_EQ(fm.FilesCount(), 1);
    EXPECT_EQ(fm.BytesProc(), 3);
    EXPECT_EQ(fm.DirDest(), dir.folder());
    fm.SetDestination(Path("B.txt"));  // case counts
    EXPECT_EQ(fm.FilesCount(), 0);
    EXPECT_EQ(fm.BytesProc(), 0);
    EXPECT_EQ(fm.InfoSrc(), TFxFileInfo{});
    EXPECT_EQ(fm.DirDest(), "");
}

TEST_F(FileManagerTest, BufferSizeMustBePositive) {
    EXPECT_THROW(fm.SetBufferSize(0), std::invalid_argument);
    EXPECT_THROW(fm.SetBufferSize(-8192), std::invalid_argument);
    EXPECT_EQ(fm.BufferSize(), 8192);
    fm.SetBufferSize(1);
    Write("a.txt", "abc");
    EXPECT_TRUE(Run("a.txt", "b.txt"));
    EXPECT_EQ(Read("b.txt"), "abc");
    EXPECT_EQ(events.size(), 5u);  // start, three blocks of one byte, end
}

TEST_F(FileManagerTest, RenameIntoAnotherFolderIsRefusedMoveIsNot) {
    Write("a.txt", "a");
    fs::create_directory(dir / "other");
    fm.SetAction(faRename);
    EXPECT_FALSE(Run("a.txt", "other/a.txt"));
    EXPECT_EQ(events, (Events{"start", "error 9", "end 4"}));
    fm.SetAction(faMove);
    EXPECT_TRUE(Run("a.txt", "other/a.txt"));
    EXPECT_EQ(Read("other/a.txt"), "a");
    EXPECT_FALSE(Exists("a.txt"));
}
