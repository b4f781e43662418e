#include <gtest/gtest.h>

#include <ctime>

#include "TestFolders.h"
#include "log/LogLineFormat.h"

namespace {

// 2026-12-06 03:19:35 UTC.
constexpr std::time_t kMoment = 1796527175;

class LogLineFormatTest : public ::testing::Test {
  protected:
    LogLineFormatTest() { ::tzset(); }
    ~LogLineFormatTest() override {
        timeZone_.reset();
        ::tzset();
    }
    std::unique_ptr<testing_support::ScopedEnvironment> timeZone_ =
        std::make_unique<testing_support::ScopedEnvironment>("TZ", std::string("UTC0"));
};

}  // namespace

TEST_F(LogLineFormatTest, DateThenOneTabMoreThanTheDepthThenTextAndLineFeed) {
    EXPECT_EQ(FormatLogLine(kMoment, 0, "hello"), "26-12-06 03:19:35\thello\n");
    EXPECT_EQ(FormatLogLine(kMoment, 3, "x"), "26-12-06 03:19:35\t\t\t\tx\n");
    EXPECT_EQ(FormatLogLine(kMoment, 1, ""), "26-12-06 03:19:35\t\t\n");
}

TEST_F(LogLineFormatTest, ZeroAndNegativeDepthsGiveOneTab) {
    EXPECT_EQ(FormatLogLine(kMoment, -1, "x"), "26-12-06 03:19:35\tx\n");
    EXPECT_EQ(FormatLogLine(kMoment, INT64_MIN, "x"), "26-12-06 03:19:35\tx\n");
}

TEST_F(LogLineFormatTest, TextIsWrittenByteForByte) {
    const std::string text("a\tb\0c\r\xC3\xA9", 8);
    EXPECT_EQ(FormatLogLine(kMoment, 0, text), "26-12-06 03:19:35\t" + text + "\n");
}

TEST_F(LogLineFormatTest, UsesLocalTime) {
    testing_support::ScopedEnvironment zone("TZ", std::string("XYZ-2"));  // two hours east
    ::tzset();
    EXPECT_EQ(FormatLogLine(kMoment, 0, "x"), "26-12-06 05:19:35\tx\n");
}
