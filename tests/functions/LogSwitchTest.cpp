// The log switch functions and the log lines of SKRW_Version, with HOME in a temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ScriptCall.h"
#include "StorageFixture.h"
#include "TestServer.h"
#include "functions/FunctionTable.h"
#include "log/PluginLogger.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;

constexpr const char* kStarted = "************* SESSION STARTED *************";
constexpr const char* kEnded = "************* SESSION ENDED *************";
constexpr const char* kCleared = "************* CONTENT CLEARED *************";

// One log line split into its indentation (tab count) and its text; the 17-character date in
// front is checked for its shape only.
struct LogLine {
    int tabs = 0;
    std::string text;
};

class LogSwitch : public skrw::test::WithStorage {
  protected:
    void SetUp() override {
        WithStorage::SetUp();
        if (const char* home = std::getenv("HOME")) savedHome_ = home;
        setenv("HOME", home_.path().c_str(), 1);
    }
    // Opening the log walks into its folder; leave it before the temporary folder goes.
    void TearDown() override {
        delete m_pl;
        m_pl = nullptr;
        std::filesystem::current_path(savedFolder_);
        savedHome_ ? setenv("HOME", savedHome_->c_str(), 1) : unsetenv("HOME");
        WithStorage::TearDown();
    }

    std::string logPath() const { return home_.path() + "/Desktop/VORNIQ/HALDOREN/LogFile.txt"; }

    Answer logSet(std::initializer_list<std::string_view> values) {
        return call(SKRW_LogSet, 0, values);
    }
    Answer logClear(std::initializer_list<std::string_view> values = {}) {
        return call(SKRW_LogClear, 0, values);
    }

    std::vector<LogLine> logLines() const {
        std::vector<LogLine> lines;
        std::ifstream in(logPath());
        std::string raw;
        while (std::getline(in, raw)) {
            EXPECT_GE(raw.size(), 18u) << raw;
            if (raw.size() < 18) continue;
            EXPECT_EQ(raw[2], '-');
            EXPECT_EQ(raw[8], ' ');
            EXPECT_EQ(raw[14], ':');
            LogLine line;
            std::size_t at = 17;
            while (at < raw.size() && raw[at] == '\t') {
                ++line.tabs;
                ++at;
            }
            line.text = raw.substr(at);
            lines.push_back(line);
        }
        return lines;
    }
    std::vector<std::string> logTexts() const {
        std::vector<std::string> texts;
        for (const LogLine& line : logLines()) texts.push_back(line.text);
        return texts;
    }

    skrw::test::TempDir home_;

  private:
    std::optional<std::string> savedHome_;
    const std::filesystem::path savedFolder_ = std::filesystem::current_path();
};

using Texts = std::vector<std::string>;

TEST_F(LogSwitch, OnlyTextsThatReadAsTrueSwitchTheLogOn) {
    const std::pair<const char*, bool> rows[] = {
        {"1", true},   {"9", true},   {"Yes", true},    {"y", true},    {"true", true},
        {"T", true},   {"-1", true},  {"+01", true},    {" 1", true},   {"0", false},
        {"00", false}, {"No", false}, {"false", false}, {"off", false}, {"ON", false},
        {"on", false}, {"", false},
    };
    for (const auto& [text, on] : rows) {
        SCOPED_TRACE(text);
        const Answer answer = logSet({text});
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, "0");
        EXPECT_TRUE(answer.isEightBit());
        EXPECT_EQ(answer.localeType, 1);
        EXPECT_EQ(m_pl != nullptr, on);
        EXPECT_EQ(logSet({"0"}).text, "0");
        EXPECT_EQ(m_pl, nullptr);
    }
    EXPECT_EQ(logTexts().size(), 2u * 9u);
}

TEST_F(LogSwitch, BannersMarkEachRealSwitchAndTheSecondArgumentIsNeverRead) {
    logSet({"1"});
    PluginLogger* first = m_pl;
    logSet({"yes", "0"});
    EXPECT_EQ(m_pl, first);
    logSet({"0", "1"});
    EXPECT_EQ(m_pl, nullptr);
    logSet({"0"});
    logSet({"1"});
    EXPECT_EQ(logTexts(), Texts({kStarted, kEnded, kStarted}));
}

TEST_F(LogSwitch, RefusedCountsAnswerErrorAndChangeNeitherTheLoggerNorTheLastError) {
    recordMarkerError();
    for (const Answer& answer : {logSet({}), logSet({"1", "1", "1"})}) {
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, "!!ERROR!!");
        EXPECT_EQ(answer.localeType, skrw::test::kOwnLocaleType);
        EXPECT_EQ(m_pl, nullptr);
    }
    logSet({"1"});
    EXPECT_EQ(logSet({"0", "0", "0"}).text, "!!ERROR!!");
    EXPECT_NE(m_pl, nullptr);
    logClear();
    logSet({"0"});
    EXPECT_EQ(lastError(), kMarkerError);
}

TEST_F(LogSwitch, LogClearWithoutALoggerAnswersErrorWhateverItsArguments) {
    for (const Answer& answer : {logClear(), logClear({"1"}), logClear({"a", "b", "c", "d"})}) {
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, "!!ERROR!!");
        EXPECT_TRUE(answer.isEightBit());
        EXPECT_EQ(answer.localeType, 1);
    }
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(LogSwitch, LogClearLeavesTheSingleClearedBanner) {
    logSet({"1"});
    call(SKRW_Version, kSKRW_VersionId, {"s"});
    EXPECT_EQ(logClear({"ignored"}).text, "0");
    EXPECT_EQ(logTexts(), Texts({kCleared}));
}

TEST_F(LogSwitch, VersionWritesEntryAnswerAndExitWhileTheLogIsOn) {
    logSet({"1"});
    call(SKRW_Version, kSKRW_VersionId, {"s"});
    call(SKRW_Version, kSKRW_VersionId, {});
    EXPECT_EQ(call(SKRW_Version, kSKRW_VersionId, {"x"}).text, "!!ERROR!!");
    logSet({"0"});
    call(SKRW_Version, kSKRW_VersionId, {"l"});
    const std::vector<LogLine> lines = logLines();
    const std::vector<std::pair<int, std::string>> expected = {
        {1, kStarted},
        {1, "FUNCTION ENTER: SKRW_Version"},
        {2, "Returning 1.0.0.0"},
        {1, "FUNCTION EXIT: SKRW_Version"},
        {1, "FUNCTION ENTER: SKRW_Version"},
        {2, "Returning Skerrow 1.0.0.0"},
        {1, "FUNCTION EXIT: SKRW_Version"},
        {1, "FUNCTION ENTER: SKRW_Version"},  // a bad letter answers before any other line
        {0, kEnded},                          // 0: indentation not checked
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (expected[i].first > 0) {
            EXPECT_EQ(lines[i].tabs, expected[i].first) << i;
        }
        EXPECT_EQ(lines[i].text, expected[i].second) << i;
    }
}

}  // namespace
