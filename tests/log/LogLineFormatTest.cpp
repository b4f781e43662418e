#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

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

TEST_F(LogLineFormatTest, DateThenOneTabMoreThanTheDepthButAtLeastOneThenTheTextAsGiven) {
    const std::string bytes("a\tb\0c\r\xC3\xA9", 8);
    const std::tuple<std::int64_t, std::string, std::string> rows[] = {
        {0, "hello", "\thello\n"}, {3, "x", "\t\t\t\tx\n"},   {1, "", "\t\t\n"},
        {-1, "x", "\tx\n"},        {INT64_MIN, "x", "\tx\n"}, {0, bytes, "\t" + bytes + "\n"}};
    for (const auto& [depth, text, after] : rows) {
        EXPECT_EQ(FormatLogLine(kMoment, depth, text), "26-12-06 03:19:35" + after) << depth;
    }
}

TEST_F(LogLineFormatTest, UsesLocalTime) {
    testing_support::ScopedEnvironment zone("TZ", std::string("XYZ-2"));  // two hours east
    ::tzset();
    EXPECT_EQ(FormatLogLine(kMoment, 0, "x"), "26-12-06 05:19:35\tx\n");
}
