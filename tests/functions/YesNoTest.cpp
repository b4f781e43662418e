// The yes/no rule of BoolFromDV: the upper-cased text must be exactly one of the true words.
#include <gtest/gtest.h>

#include "ScriptCall.h"
#include "functions/PluginFunctions.h"

namespace {

TEST(YesNo, OnlyTheTrueWordsInAnyCaseReadAsYes) {
    const std::pair<const char*, bool> rows[] = {
        {"y", true},          {"Y", true},    {"YES", true},
        {"yes", true},        {"yEs", true},  {"On", true},
        {"ON", true},         {"on", true},   {"1", true},
        {"true", true},       {"TRUE", true}, {"True", true},
        {"", false},          {"0", false},   {"2", false},
        {"T", false},         {"t", false},   {"no", false},
        {"false", false},     {"off", false}, {" yes", false},
        {"yes ", false},      {"01", false},  {"1.0", false},
        {"yess", false},      {"n", false},   {"\xC3\xBD", false},
        {"ye\xC5\xBF", true},  // the long s upper-cases to S
    };
    for (const auto& [text, yes] : rows) {
        const hostsim::Arguments args = skrw::test::texts({"first", text});
        EXPECT_EQ(BoolFromDV(args.vect(), 1), yes) << '"' << text << '"';
    }
}

TEST(YesNo, NumbersReadAsTheirTextAndAbsentArgumentsAsNo) {
    hostsim::Arguments args;
    args.number(1).number(1.5).number(0);
    EXPECT_TRUE(BoolFromDV(args.vect(), 0));
    EXPECT_FALSE(BoolFromDV(args.vect(), 1));
    EXPECT_FALSE(BoolFromDV(args.vect(), 2));
    EXPECT_FALSE(BoolFromDV(args.vect(), 3));
    EXPECT_FALSE(BoolFromDV(args.vect(), 7));
    EXPECT_FALSE(BoolFromDV(args.vect(), -1));
}

}  // namespace
