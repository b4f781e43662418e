#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "TestEnv.h"
#include "TestServer.h"
#include "log/LogFolderWalk.h"
#include "log/LogLineFormat.h"
#include "log/PluginLogger.h"

namespace fs = std::filesystem;
using namespace skrw::test;
using Lines = std::vector<std::string>;

namespace {

const std::string kStarted = "\t************* SESSION STARTED *************";
const std::string kEnded = "\t************* SESSION ENDED *************";
const std::string kCleared = "************* CONTENT CLEARED *************";

// The tabs and text of each line after its date.
Lines logged(const std::string& path) {
    Lines out;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(line.size() > 17 && line[2] == '-' && line[8] == ' ' && line[14] == ':') << line;
        out.push_back(line.substr(std::min<std::size_t>(17, line.size())));
    }
    return out;
}

class LogTest : public ::testing::Test {
  protected:
    std::string at(const std::string& relative) const { return temp_.path() + "/" + relative; }
    std::string logIn(const std::string& folder) const { return at(folder + "/LogFile.txt"); }
    TempDir temp_, home_;
    ScopedEnv homeVariable_{"HOME", home_.path()};
    CurrentFolderGuard folderGuard_;
};

}  // namespace

TEST(LogLineFormat, LocalDateThenOneTabMoreThanTheDepthButAtLeastOneThenTheTextAsGiven) {
    const std::string bytes("a\tb\0c\r\xC3\xA9", 8);
    const std::tuple<const char*, std::int64_t, std::string, std::string> rows[] = {
        {"UTC0", 0, "hello", "03:19:35\thello\n"}, {"UTC0", 3, "x", "03:19:35\t\t\t\tx\n"},
        {"UTC0", 1, "", "03:19:35\t\t\n"},         {"UTC0", -1, "x", "03:19:35\tx\n"},
        {"UTC0", INT64_MIN, "x", "03:19:35\tx\n"}, {"UTC0", 0, bytes, "03:19:35\t" + bytes + "\n"},
        {"XYZ-2", 0, "x", "05:19:35\tx\n"}};
    for (const auto& [zone, depth, text, expected] : rows) {
        SCOPED_TRACE(std::string(zone) + " " + std::to_string(depth));
        ScopedEnv tz("TZ", zone);
        ::tzset();
        EXPECT_EQ(FormatLogLine(1796527175, depth, text), "26-12-06 " + expected);
    }
    ::tzset();
}

TEST_F(LogTest, WalkMakesEachFolderWithAllPermissionBitsAndEndsInTheLogFolder) {
    const std::pair<std::string, std::string> rows[] = {  // path below temp_, where the walk ends
        {"a/b/c/LogFile.txt", "a/b/c"},
        {"/d///e//LogFile.txt", "d/e"},
        {"f/LogFile.txt/g/h/LogFile.txt", "f"},
        {"i/mylog.txt/", "i/mylog.txt"}};
    const mode_t savedMask = ::umask(0);
    for (const auto& [path, folder] : rows) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(WalkToLogFolder(at(path)));
        EXPECT_EQ(fs::current_path(), at(folder));
        EXPECT_EQ(fs::status(at(folder)).permissions(), fs::perms::all);
        EXPECT_FALSE(fs::exists(at(folder + "/LogFile.txt")));
    }
    ::umask(savedMask);
    EXPECT_FALSE(fs::exists(at("f/LogFile.txt")));
    writeFile(at("file"), "x");
    EXPECT_FALSE(WalkToLogFolder(logIn("file/sub")));
    EXPECT_EQ(fs::current_path(), temp_.path());
    EXPECT_FALSE(EnterOrCreateFolder("missing/inner") || EnterOrCreateFolder(""));
}

TEST_F(LogTest, LinesTakeTheDepthOfTheirFunctionAndTwoLoggersInTurnAppend) {
    {
        PluginLogger logger("LOGS", logIn("logs"));
        logger.EnteringFunction("A");
        logger.WriteLine("in");
        logger.WriteParameter("name", "value");
        logger.ExitingFunction("A");
        logger.ExitingFunction("X");
        logger.ExitingFunction("Y");
        logger.EnteringFunction("P");
        logger.EnteringFunction("Q");
        logger.EnteringFunction("R");
        logger.WriteLine("at 1");
    }
    { PluginLogger second("LOGS", logIn("logs")); }
    EXPECT_EQ(logged(logIn("logs")),
              (Lines{kStarted, "\tFUNCTION ENTER: A", "\t\tin", "\tPARAM: name VAL: value",
                     "\tFUNCTION EXIT: A", "\tFUNCTION EXIT: X", "\tFUNCTION EXIT: Y",
                     "\tFUNCTION ENTER: P", "\tFUNCTION ENTER: Q", "\tFUNCTION ENTER: R", "\t\tat 1",
                     "\t" + kEnded, kStarted, kEnded}));
}

TEST_F(LogTest, ClearLogLeavesTheClearedBannerAtTheCurrentDepthAndNoHandleStaysOpen) {
    const auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = openFiles();
    PluginLogger logger("LOGS", logIn("logs"));
    logger.WriteLine("line");
    logger.EnteringFunction("F");
    EXPECT_EQ(openFiles(), before);
    logger.ClearLog();
    EXPECT_EQ(openFiles(), before);
    logger.WriteLine("next");
    EXPECT_EQ(logged(logIn("logs")), (Lines{"\t\t" + kCleared, "\t\tnext"}));
    fs::remove(logIn("logs"));
    fs::current_path(temp_.path());
    EXPECT_TRUE(logger.OpenLogFile());
    logger.CloseLogFile();
    EXPECT_EQ(fs::current_path(), at("logs"));
    EXPECT_TRUE(fs::exists(logIn("logs")));
}

TEST_F(LogTest, ARelativePathIsWalkedFromTheRootAndItsLinesOpenedFromTheFolderReached) {
    const std::string relative = logIn("logs").substr(1);
    fs::create_directories(at("logs/") + fs::path(relative).parent_path().string());
    fs::current_path(home_.path());
    {
        PluginLogger logger("LOGS", relative);
        logger.WriteLine("here");
    }
    EXPECT_TRUE(fs::exists(logIn("logs")) && fs::is_empty(logIn("logs")));
    EXPECT_EQ(logged(at("logs/") + relative), (Lines{kStarted, "\there", kEnded}));
}

TEST_F(LogTest, LinesWhoseWalkEndsBeforeTheFileOrCannotBeMadeAreLost) {
    writeFile(at("blocker"), "not a folder");
    {
        PluginLogger a("LOGS", at("a/LogFile.txt/b/LogFile.txt")), c("LOGS", at("c/mylog.txt"));
        PluginLogger blocked("LOGS", logIn("blocker/sub"));
        for (PluginLogger* logger : {&a, &c, &blocked}) logger->WriteLine("lost");
        blocked.ClearLog();
        EXPECT_FALSE(blocked.OpenLogFile());
    }
    EXPECT_EQ(readFile(at("a/LogFile.txt")), "");
    EXPECT_FALSE(fs::exists(at("a/b")));
    EXPECT_EQ(readFile(at("c/mylog.txt/LogFile.txt")), "");
    EXPECT_EQ(readFile(at("blocker")), "not a folder");
    EXPECT_FALSE(fs::exists(at("LogFile.txt")));
}

TEST_F(LogTest, SetLogPathMovesTheLogAndAnEmptyPathSwitchesItOff) {
    PluginLogger logger("LOGS", logIn("first"));
    EXPECT_EQ(logger.SetLogPath(logIn("second")), 0);
    logger.WriteLine("moved");
    logger.SetLogPath("");
    logger.EnteringFunction("off");
    logger.SetLogPath(logIn("second"));
    logger.WriteLine("back");
    EXPECT_EQ(logged(logIn("first")), Lines{kStarted});
    EXPECT_EQ(logged(logIn("second")), (Lines{"\tmoved", "\t\tback"}));
}

TEST_F(LogTest, AnEmptyPathMeansTheDefaultLocationBelowHomeOrTheLogOff) {
    const std::string folder = home_.path() + "/Desktop/VORNIQ/LOGS";
    {
        ScopedEnv slashed("HOME", home_.path() + "/");
        PluginLogger logger("LOGS", "");
        EXPECT_EQ(fs::current_path(), folder);
    }
    EXPECT_EQ(logged(folder + "/LogFile.txt"), (Lines{kStarted, kEnded}));
    writeFile(folder + "/other.txt", "kept");
    DeleteLog("LOGS");
    EXPECT_FALSE(fs::exists(folder + "/LogFile.txt"));
    EXPECT_TRUE(fs::exists(folder + "/other.txt"));

    ScopedEnv otherHome("HOME", temp_.path());
    writeFile(at("Desktop"), "a file, not a folder");
    std::string path = "unchanged";
    CreateDefaultPath("LOGS", path);
    EXPECT_EQ(path, "unchanged");
    PluginLogger off("LOGS", "");
    off.WriteLine("nothing");
    EXPECT_FALSE(off.OpenLogFile());
    off.SetLogPath(logIn("chosen"));
    off.WriteLine("here");
    EXPECT_EQ(logged(logIn("chosen")), Lines{"\there"});
    EXPECT_EQ(readFile(at("Desktop")), "a file, not a folder");
}
