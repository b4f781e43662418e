#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LogLines.h"
#include "OpenDescriptors.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "log/LogFile.h"
#include "log/PluginLogger.h"

namespace fs = std::filesystem;
using namespace skrw::test;
using Lines = std::vector<std::string>;

namespace {

const std::string kStarted = "\t************* SESSION STARTED *************";
const std::string kEnded = "\t************* SESSION ENDED *************";

class LogTest : public ::testing::Test {
  protected:
    std::string at(const std::string& relative) const { return m_temp.path() + "/" + relative; }
    std::string logIn(const std::string& folder) const { return at(folder + "/LogFile.txt"); }
    TempDir m_temp, m_home;
    ScopedEnv m_homeVariable{"HOME", m_home.path()};
    CurrentFolderGuard m_folderGuard;
};

}  // namespace

TEST(LogLineFormat, LocalDateThenOneTabMoreThanTheDepthButAtLeastOneThenTheTextAsGiven) {
    const std::string bytes("a\tb\0c\r\xC3\xA9", 8);
    const std::tuple<const char*, std::int64_t, std::string, std::string> rows[] = {
        {"UTC0", 0, bytes, "03:19:35\t" + bytes},
        {"UTC0", 3, "x", "03:19:35\t\t\t\tx"},
        {"UTC0", -1, "", "03:19:35\t"},
        {"XYZ-2", 1, "x", "05:19:35\t\tx"}};
    for (const auto& [zone, depth, text, expected] : rows) {
        SCOPED_TRACE(std::string(zone) + " " + std::to_string(depth));
        ScopedEnv tz("TZ", zone);
        ::tzset();
        EXPECT_EQ(skrw::log::FormatLogLine(1796527175, depth, text), "26-12-06 " + expected + "\n");
    }
    ::tzset();
}

TEST_F(LogTest, WalkMakesEachFolderWithAllPermissionBitsAndEndsInTheLogFolder) {
    // A path below m_temp and the folder where its walk ends.
    const std::pair<std::string, std::string> rows[] = {{"a/b/LogFile.txt", "a/b"},
                                                        {"/d///e//LogFile.txt", "d/e"},
                                                        {"f/LogFile.txt/g/LogFile.txt", "f"},
                                                        {"i/my.txt/", "i/my.txt"}};
    const mode_t savedMask = ::umask(0);
    for (const auto& [path, folder] : rows) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(skrw::log::WalkToLogFolder(at(path)));
        EXPECT_EQ(fs::current_path(), at(folder));
        EXPECT_EQ(fs::status(at(folder)).permissions(), fs::perms::all);
    }
    ::umask(savedMask);
}

TEST_F(LogTest, LinesTakeTheDepthOfTheirFunctionAndNoHandleStaysOpenBetweenThem) {
    const auto before = openDescriptors();
    PluginLogger logger("LOGS", logIn("logs"));
    logger.EnteringFunction("A"), logger.WriteParameter("name", "value");
    logger.ExitingFunction("A"), logger.ExitingFunction("X");
    logger.EnteringFunction("P"), logger.EnteringFunction("Q"), logger.WriteLine("at 1");
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(
        loggedLines(logIn("logs")),
        (Lines{kStarted, "\tFUNCTION ENTER: A", "\tPARAM: name VAL: value", "\tFUNCTION EXIT: A",
               "\tFUNCTION EXIT: X", "\tFUNCTION ENTER: P", "\tFUNCTION ENTER: Q", "\t\tat 1"}));
    fs::remove_all(at("logs"));  // each line walks again and makes what went missing
    logger.WriteLine("again");
    EXPECT_EQ(loggedLines(logIn("logs")), Lines{"\t\tagain"});
}

TEST_F(LogTest, ARelativePathIsWalkedFromTheRootAndItsLinesOpenedFromTheFolderReached) {
    const std::string relative = logIn("logs").substr(1);
    fs::create_directories(at("logs/") + fs::path(relative).parent_path().string());
    fs::current_path(m_home.path());
    for (int i = 0; i < 2; ++i) PluginLogger("LOGS", relative);  // two sessions
    EXPECT_TRUE(fs::exists(logIn("logs")) && fs::is_empty(logIn("logs")));
    EXPECT_EQ(loggedLines(at("logs/") + relative), (Lines{kStarted, kEnded, kStarted, kEnded}));
}

TEST_F(LogTest, TheDefaultLocationIsBelowTheHomeDesktopAndDeleteLogRemovesOnlyTheLog) {
    const std::string folder = m_home.path() + "/Desktop/VORNIQ/LOGS";
    {
        ScopedEnv slashed("HOME", m_home.path() + "/");
        PluginLogger logger("LOGS", "");
        EXPECT_EQ(fs::current_path(), folder);
    }
    writeFile(folder + "/other.txt", "kept");
    EXPECT_EQ(loggedLines(folder + "/LogFile.txt"), (Lines{kStarted, kEnded}));
    DeleteLog("LOGS");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

TEST_F(LogTest, AnOffLogWritesNothingAndWhereTheWalkStopsNoFileIsMade) {
    ScopedEnv noDesktop("HOME", m_temp.path());
    writeFile(at("Desktop"), "a file");
    PluginLogger logger("LOGS", "");  // no default location: off
    EXPECT_FALSE(logger.OpenLogFile());
    logger.SetLogPath(logIn("Desktop/sub"));
    logger.EnteringFunction("F"), logger.ClearLog();
    EXPECT_FALSE(logger.OpenLogFile());
    EXPECT_EQ(fs::current_path(), m_temp.path());
    logger.SetLogPath(logIn("on")), logger.WriteLine("on");
    EXPECT_EQ(loggedLines(logIn("on")), Lines{"\t\ton"});
    logger.ClearLog();
    EXPECT_EQ(loggedLines(logIn("on")), Lines{"\t\t************* CONTENT CLEARED *************"});
    // A new path moves the log, the old file keeping its lines; an empty one switches it off.
    logger.SetLogPath(logIn("moved")), logger.WriteLine("moved");
    logger.SetLogPath("");
    logger.WriteLine("off");
    EXPECT_FALSE(logger.OpenLogFile());
    EXPECT_EQ(loggedLines(logIn("on")), Lines{"\t\t************* CONTENT CLEARED *************"});
    EXPECT_EQ(loggedLines(logIn("moved")), Lines{"\t\tmoved"});
    EXPECT_EQ(readFile(at("Desktop")), "a file");
    EXPECT_FALSE(fs::exists(at("LogFile.txt")));
}
