#include "LogTestFixture.h"
#include "log/PluginLogger.h"

using testing_support::readFile;
using testing_support::writeFile;

namespace {

constexpr const char* kStarted = "************* SESSION STARTED *************";
constexpr const char* kEnded = "************* SESSION ENDED *************";
constexpr const char* kCleared = "************* CONTENT CLEARED *************";

using PluginLoggerTest = LogTest;

}  // namespace

TEST_F(PluginLoggerTest, BannersAreExactAndLinesHaveTheLogForm) {
    const std::string path = logIn("logs");
    {
        PluginLogger logger("LOGS", path);
        logger.WriteLine("hello world");
    }
    EXPECT_EQ(entries(path), (Entries{{1, kStarted}, {1, "hello world"}, {1, kEnded}}));
    const std::string contents = readFile(path);
    EXPECT_EQ(contents.back(), '\n');
    EXPECT_EQ(contents.find('\r'), std::string::npos);
}

TEST_F(PluginLoggerTest, FunctionBracketingSetsTheIndentation) {
    const std::string path = logIn("logs");
    PluginLogger logger("LOGS", path);
    logger.EnteringFunction("A");
    logger.WriteLine("inside");
    logger.WriteParameter("name", "value");
    logger.EnteringFunction("B");
    logger.WriteLine("deeper");
    logger.ExitingFunction("B");
    logger.ExitingFunction("A");
    logger.WriteLine("after");
    EXPECT_EQ(entries(path), (Entries{{1, kStarted},
                                      {1, "FUNCTION ENTER: A"},
                                      {2, "inside"},
                                      {1, "PARAM: name VAL: value"},
                                      {2, "FUNCTION ENTER: B"},
                                      {3, "deeper"},
                                      {2, "FUNCTION EXIT: B"},
                                      {1, "FUNCTION EXIT: A"},
                                      {1, "after"}}));
}

TEST_F(PluginLoggerTest, NegativeDepthKeepsOneTabUntilItRisesAboveZero) {
    const std::string path = logIn("logs");
    PluginLogger logger("LOGS", path);
    logger.ExitingFunction("X");  // depth -1
    logger.ExitingFunction("Y");  // depth -2
    logger.WriteLine("at -2");
    logger.EnteringFunction("P");  // written at -2, then -1
    logger.EnteringFunction("Q");  // written at -1, then 0
    logger.EnteringFunction("R");  // written at 0, then 1
    logger.WriteLine("at 1");
    EXPECT_EQ(entries(path), (Entries{{1, kStarted},
                                      {1, "FUNCTION EXIT: X"},
                                      {1, "FUNCTION EXIT: Y"},
                                      {1, "at -2"},
                                      {1, "FUNCTION ENTER: P"},
                                      {1, "FUNCTION ENTER: Q"},
                                      {1, "FUNCTION ENTER: R"},
                                      {2, "at 1"}}));
}

TEST_F(PluginLoggerTest, TwoLoggersInTurnAppendToOneFile) {
    const std::string path = logIn("logs");
    {
        PluginLogger first("LOGS", path);
        first.WriteLine("one");
    }
    {
        PluginLogger second("LOGS", path);
        second.WriteLine("two");
    }
    EXPECT_EQ(texts(path), (Lines{kStarted, "one", kEnded, kStarted, "two", kEnded}));
}

TEST_F(PluginLoggerTest, ClearLogLeavesOnlyTheClearedBannerAtTheCurrentDepth) {
    const std::string path = logIn("logs");
    PluginLogger logger("LOGS", path);
    for (int i = 0; i < 50; ++i) logger.WriteLine("line " + std::to_string(i));
    logger.EnteringFunction("F");
    logger.ClearLog();
    EXPECT_EQ(entries(path), (Entries{{2, kCleared}}));
    logger.WriteLine("next");
    EXPECT_EQ(texts(path), (Lines{kCleared, "next"}));
    std::filesystem::remove(path);  // a missing file is made afresh
    logger.ClearLog();
    EXPECT_EQ(texts(path), Lines{kCleared});
}

TEST_F(PluginLoggerTest, PathsWhoseWalkEndsBeforeTheFileLoseTheLines) {
    {
        // The walk stops in "a" and makes the file there; lines go to the full
        // path, whose "LogFile.txt" piece is that file, not a folder.
        PluginLogger logger("LOGS", temp_ / "a/LogFile.txt/b/LogFile.txt");
        logger.WriteLine("lost");
        PluginLogger other("LOGS", temp_ / "c/mylog.txt");
        other.WriteLine("lost");
    }
    EXPECT_FALSE(isFolder(temp_ / "a/LogFile.txt"));
    EXPECT_EQ(readFile(temp_ / "a/LogFile.txt"), "");
    EXPECT_FALSE(exists(temp_ / "a/b"));
    EXPECT_TRUE(isFolder(temp_ / "c/mylog.txt"));
    EXPECT_EQ(readFile(temp_ / "c/mylog.txt/LogFile.txt"), "");
}

TEST_F(PluginLoggerTest, UncreatableFoldersWriteNothingAnywhere) {
    writeFile(temp_ / "blocker", "not a folder");
    std::filesystem::current_path(temp_.path());
    {
        PluginLogger logger("LOGS", logIn("blocker/sub"));
        logger.WriteLine("nothing");
        logger.EnteringFunction("F");
        logger.ClearLog();
        EXPECT_FALSE(logger.OpenLogFile());
    }
    EXPECT_EQ(readFile(temp_ / "blocker"), "not a folder");
    EXPECT_FALSE(exists(temp_ / "LogFile.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(PluginLoggerTest, SetLogPathMovesTheLogAndEmptySwitchesItOff) {
    const std::string first = logIn("first");
    const std::string second = logIn("second");
    PluginLogger logger("LOGS", first);
    EXPECT_EQ(logger.SetLogPath(second), 0);
    logger.WriteLine("moved");
    EXPECT_EQ(logger.SetLogPath(""), 0);
    logger.EnteringFunction("off");  // not written, but the depth rises
    logger.WriteLine("not written");
    logger.SetLogPath(second);
    logger.WriteLine("back");
    EXPECT_EQ(texts(first), Lines{kStarted});
    EXPECT_EQ(entries(second), (Entries{{1, "moved"}, {2, "back"}}));
}

TEST_F(PluginLoggerTest, OpenLogFileReentersTheFolderAndRemakesTheFile) {
    const std::string path = logIn("logs");
    PluginLogger logger("LOGS", path);
    std::filesystem::remove(path);
    std::filesystem::current_path(temp_.path());
    EXPECT_TRUE(logger.OpenLogFile());
    EXPECT_EQ(currentFolder(), temp_ / "logs");
    EXPECT_TRUE(exists(path));
    logger.CloseLogFile();
    logger.CloseLogFile();
}

TEST_F(PluginLoggerTest, EmptyPathUsesTheDefaultLocationBelowHome) {
    const std::string expected = home_ / "Desktop/VORNIQ/HALDOREN/LogFile.txt";
    {
        PluginLogger logger("HALDOREN", "");
        EXPECT_EQ(currentFolder(), home_ / "Desktop/VORNIQ/HALDOREN");
    }
    EXPECT_EQ(texts(expected), (Lines{kStarted, kEnded}));
}

TEST_F(PluginLoggerTest, WithoutAHomeFolderAnEmptyPathLeavesTheLogOff) {
    testing_support::ScopedEnvironment missingHome("HOME", home_ / "missing");
    std::filesystem::current_path(temp_.path());
    {
        PluginLogger logger("LOGS", "");
        logger.WriteLine("nothing");
        EXPECT_FALSE(logger.OpenLogFile());
    }
    EXPECT_TRUE(std::filesystem::is_empty(temp_.path()));
    EXPECT_FALSE(exists(home_ / "missing"));
}

TEST_F(PluginLoggerTest, SetLogPathOnALoggerWithoutPathMakesNoDefaultFolders) {
    testing_support::ScopedEnvironment missingHome("HOME", home_ / "missing");
    PluginLogger logger("LOGS", "");
    testing_support::ScopedEnvironment realHome("HOME", home_.path());
    logger.SetLogPath(logIn("chosen"));
    logger.WriteLine("here");
    EXPECT_EQ(texts(logIn("chosen")), Lines{"here"});
    EXPECT_FALSE(exists(home_ / "Desktop"));
}

TEST_F(PluginLoggerTest, DefaultPathIsMadeBelowTheDesktopOfHomeOrLeftUnchanged) {
    testing_support::ScopedEnvironment slashedHome("HOME", home_.path() + "/");
    std::string path = "unchanged";
    CreateDefaultPath("LOGS", path);
    EXPECT_EQ(path, home_ / "Desktop/VORNIQ/LOGS/LogFile.txt");
    EXPECT_EQ(currentFolder(), home_ / "Desktop/VORNIQ/LOGS");
    EXPECT_FALSE(exists(path));  // folders only

    testing_support::ScopedEnvironment otherHome("HOME", temp_.path());
    writeFile(temp_ / "Desktop", "a file, not a folder");
    path = "unchanged";
    CreateDefaultPath("LOGS", path);
    EXPECT_EQ(path, "unchanged");
}

TEST_F(PluginLoggerTest, DeleteLogRemovesOnlyTheLogFile) {
    const std::string folder = home_ / "Desktop/VORNIQ/LOGS";
    std::filesystem::create_directories(folder);
    writeFile(folder + "/LogFile.txt", "old lines\n");
    writeFile(folder + "/other.txt", "kept");
    DeleteLog("LOGS");
    EXPECT_FALSE(std::filesystem::exists(folder + "/LogFile.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.txt"));
    DeleteLog("LOGS");  // nothing left to remove: no failure
}
