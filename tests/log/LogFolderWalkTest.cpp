#include "LogTestFixture.h"
#include "log/LogFolderWalk.h"

using LogFolderWalkTest = LogTest;

TEST_F(LogFolderWalkTest, MakesFoldersAlongThePathAndEndsInTheLastOne) {
    struct Row {
        std::string path;    // below the temporary folder
        std::string folder;  // where the walk ends
    };
    const Row rows[] = {
        {"a/b/c/LogFile.txt", "a/b/c"},
        {"/d///e//LogFile.txt", "d/e"},          // empty pieces are skipped
        {"f/LogFile.txt/g/h/LogFile.txt", "f"},  // a log file piece ends the walk
        {"i/mylog.txt/", "i/mylog.txt"},         // any other last piece is a folder
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_TRUE(WalkToLogFolder(temp_.path() + "/" + row.path));
        EXPECT_TRUE(isFolder(temp_ / row.folder));
        EXPECT_EQ(currentFolder(), temp_ / row.folder);
        EXPECT_FALSE(exists(temp_ / (row.folder + "/LogFile.txt")));  // folders only
    }
    EXPECT_FALSE(exists(temp_ / "f/LogFile.txt/g"));
}

TEST_F(LogFolderWalkTest, StopsWhereAFolderCannotBeMade) {
    testing_support::writeFile(temp_ / "file", "x");
    EXPECT_FALSE(WalkToLogFolder(logIn("file/sub")));
    EXPECT_EQ(currentFolder(), temp_.path());
    EXPECT_FALSE(EnterOrCreateFolder("missing/inner"));
    EXPECT_FALSE(EnterOrCreateFolder(""));
}
