#include "LogTestFixture.h"
#include "log/LogFolderWalk.h"

using testing_support::writeFile;

using LogFolderWalkTest = LogTest;

TEST_F(LogFolderWalkTest, CreatesEveryMissingFolderAlongAnAbsolutePath) {
    EXPECT_TRUE(WalkToLogFolder(logIn("a/b/c")));
    EXPECT_TRUE(isFolder(temp_ / "a/b/c"));
    EXPECT_EQ(currentFolder(), temp_ / "a/b/c");
    EXPECT_FALSE(exists(logIn("a/b/c")));  // the walk makes folders only
}

TEST_F(LogFolderWalkTest, SkipsEmptyPieces) {
    EXPECT_TRUE(WalkToLogFolder(temp_.path() + "//a///b//LogFile.txt"));
    EXPECT_EQ(currentFolder(), temp_ / "a/b");
}

TEST_F(LogFolderWalkTest, StopsAtALogFileNamePieceWhereverItStands) {
    EXPECT_TRUE(WalkToLogFolder(temp_ / "a/LogFile.txt/b/c/LogFile.txt"));
    EXPECT_EQ(currentFolder(), temp_ / "a");
    EXPECT_FALSE(exists(temp_ / "a/LogFile.txt"));
}

TEST_F(LogFolderWalkTest, ALastPieceThatIsNotTheLogFileIsAFolder) {
    EXPECT_TRUE(WalkToLogFolder(temp_ / "a/mylog.txt/"));
    EXPECT_TRUE(isFolder(temp_ / "a/mylog.txt"));
    EXPECT_EQ(currentFolder(), temp_ / "a/mylog.txt");
}

TEST_F(LogFolderWalkTest, StopsWhereAFolderCannotBeMade) {
    writeFile(temp_ / "file", "x");
    EXPECT_FALSE(WalkToLogFolder(logIn("file/sub")));
    EXPECT_EQ(currentFolder(), temp_.path());
}

TEST_F(LogFolderWalkTest, EnterOrCreateFolderEntersOrMakesOneFolder) {
    ASSERT_TRUE(EnterOrCreateFolder(temp_.path()));
    EXPECT_TRUE(EnterOrCreateFolder("made"));
    EXPECT_EQ(currentFolder(), temp_ / "made");
    EXPECT_TRUE(EnterOrCreateFolder(".."));
    EXPECT_TRUE(EnterOrCreateFolder("made"));
    EXPECT_FALSE(EnterOrCreateFolder("missing/inner"));
    EXPECT_FALSE(EnterOrCreateFolder(""));
}
