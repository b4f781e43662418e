// The yes/no rule of BoolFromDV: the upper-cased text must be exactly one of the true words.
#include <gtest/gtest.h>

#include <string>

#include "ScriptCall.h"
#include "functions/PluginFunctions.h"

namespace {

bool yesNo(std::string_view text) {
    const hostsim::Arguments args = skrw::test::texts({"first", text});
    return BoolFromDV(args.vect(), 1);
}

TEST(YesNo, TrueWordsInAnyCaseReadAsYes) {
    for (const char* text :
         {"y", "Y", "YES", "yes", "yEs", "On", "ON", "on", "1", "true", "TRUE", "True"}) {
        EXPECT_TRUE(yesNo(text)) << '"' << text << '"';
    }
}

TEST(YesNo, EverythingElseReadsAsNo) {
    for (const char* text : {"", "0", "2", "T", "t", "no", "false", "off", " yes", "yes ", "01",
                             "1.0", "yess", "n", "\xC3\xBD"}) {
        EXPECT_FALSE(yesNo(text)) << '"' << text << '"';
    }
}

TEST(YesNo, UpperCasingIsUnicodeAware) {
    // The long s (U+017F) upper-cases to S, so "ye\u017F" reads as YES.
    EXPECT_TRUE(yesNo("ye\xC5\xBF"));
}

TEST(YesNo, AnAbsentArgumentOrANegativeIndexReadsAsNo) {
    const hostsim::Arguments args = skrw::test::texts({"yes"});
    EXPECT_TRUE(BoolFromDV(args.vect(), 0));
    EXPECT_FALSE(BoolFromDV(args.vect(), 1));
    EXPECT_FALSE(BoolFromDV(args.vect(), 7));
    EXPECT_FALSE(BoolFromDV(args.vect(), -1));
}

TEST(YesNo, ANumberArgumentIsReadAsItsText) {
    hostsim::Arguments args;
    args.number(1).number(1.5).number(0);
    EXPECT_TRUE(BoolFromDV(args.vect(), 0));
    EXPECT_FALSE(BoolFromDV(args.vect(), 1));
    EXPECT_FALSE(BoolFromDV(args.vect(), 2));
}

}  // namespace
