#include <gtest/gtest.h>

#include <climits>

#include "platform/String.h"

using platform::String;

TEST(IntegerValue, ReadsTheNumberAtTheStartAndSaturatesBeyondSixtyFourBits) {
    const std::pair<std::string_view, long long> rows[] = {
        {"25 items", 25},
        {" 25", 25},
        {"\t\n 25", 25},
        {"\xC2\xA0"
         "7",
         7},  // no-break space is white space too
        {"-5", -5},
        {"+01", 1},
        {"4294967297", 4294967297LL},
        {"12.9", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+-3", 0},
        {"x25", 0},
        {"- 3", 0},
        {"9223372036854775807", LLONG_MAX},
        {"9223372036854775808", LLONG_MAX},
        {"99999999999999999999999999 rest", LLONG_MAX},
        {"-9223372036854775808", LLONG_MIN},
        {"-9223372036854775809", LLONG_MIN},
        {"-123456789012345678901234567890", LLONG_MIN},
        {"00000000000000000000000000042", 42}};
    for (const auto& [text, expected] : rows) {
        EXPECT_EQ(String::fromUtf8(text).integerValue(), expected) << '"' << text << '"';
    }
}

TEST(BoolValue, TrueForYesTrueAndNonZeroNumbersOnly) {
    for (const char* text : {"yes", "Y", "t", "T", "true", "1", "9", "-1", "+01", " +0001", " 1",
                             "\t\ny", "000000002x", "Yak"}) {
        EXPECT_TRUE(String::fromUtf8(text).boolValue()) << '"' << text << '"';
    }
    for (const char* text : {"", "0", "00", "No", "false", "off", "ON", "on", "-", "+-1", "0.5",
                             " ", "x1", "\xC3\xBF"}) {
        EXPECT_FALSE(String::fromUtf8(text).boolValue()) << '"' << text << '"';
    }
}
