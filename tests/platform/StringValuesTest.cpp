#include <gtest/gtest.h>

#include <climits>

#include "platform/String.h"

using platform::String;

namespace {

long long integerOf(std::string_view text) {
    return String::fromUtf8(text).integerValue();
}
bool boolOf(std::string_view text) {
    return String::fromUtf8(text).boolValue();
}

}  // namespace

TEST(IntegerValue, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(integerOf("25 items"), 25);
    EXPECT_EQ(integerOf(" 25"), 25);
    EXPECT_EQ(integerOf("\t\n 25"), 25);
    EXPECT_EQ(integerOf("\xC2\xA0"
                        "7"),
              7);  // no-break space is white space too
    EXPECT_EQ(integerOf("-5"), -5);
    EXPECT_EQ(integerOf("+01"), 1);
    EXPECT_EQ(integerOf("4294967297"), 4294967297LL);
    EXPECT_EQ(integerOf("12.9"), 12);
}

TEST(IntegerValue, GivesZeroWithoutANumber) {
    EXPECT_EQ(integerOf("abc"), 0);
    EXPECT_EQ(integerOf(""), 0);
    EXPECT_EQ(integerOf("-"), 0);
    EXPECT_EQ(integerOf("+-3"), 0);
    EXPECT_EQ(integerOf("x25"), 0);
    EXPECT_EQ(integerOf("- 3"), 0);
}

TEST(IntegerValue, SaturatesBeyondSixtyFourBits) {
    EXPECT_EQ(integerOf("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(integerOf("9223372036854775808"), LLONG_MAX);
    EXPECT_EQ(integerOf("99999999999999999999999999 rest"), LLONG_MAX);
    EXPECT_EQ(integerOf("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(integerOf("-9223372036854775809"), LLONG_MIN);
    EXPECT_EQ(integerOf("-123456789012345678901234567890"), LLONG_MIN);
    EXPECT_EQ(integerOf("00000000000000000000000000042"), 42);
}

TEST(BoolValue, TrueForYesTrueAndNonZeroDigits) {
    for (const char* text : {"yes", "Y", "t", "T", "true", "1", "9", "-1", "+01", " +0001", " 1",
                             "\t\ny", "000000002x", "Yak"}) {
        EXPECT_TRUE(boolOf(text)) << '"' << text << '"';
    }
}

TEST(BoolValue, FalseForEverythingElse) {
    for (const char* text : {"", "0", "00", "No", "false", "off", "ON", "on", "-", "+-1", "0.5",
                             " ", "x1", "\xC3\xBF"}) {
        EXPECT_FALSE(boolOf(text)) << '"' << text << '"';
    }
}
