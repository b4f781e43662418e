// SKRW_Version, SKRW_GetLastError and SKRW_Debug: the texts they answer, by which path (8-bit
// with a new locale, or UTF-16 with the result's own locale), and the one error triple they
// record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptCall.h"
#include "StorageFixture.h"
#include "functions/FunctionTable.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;
using skrw::test::kOwnLocaleType;
using skrw::test::texts;

constexpr const char* kCleared = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";
constexpr const char* kBadLetter =
    "MESSAGE: Invalid parameter specified\nCODE: -4\nSOURCE: SKRW_Version";

hostsim::Arguments numberArgument(long double value) {
    hostsim::Arguments args;
    args.number(value);
    return args;
}

class InfoFunctions : public skrw::test::WithStorage {};

TEST_F(InfoFunctions, VersionFormIsChosenByTheFirstLetterOfTheOnlyArgument) {
    const std::vector<hostsim::Arguments> longForm = {
        texts({}),       texts({""}),  texts({"x", "y"}), texts({"s", "s", "s"}),
        texts({"Long"}), texts({"l"}), texts({"L"}),      texts({"lemon"})};
    const std::vector<hostsim::Arguments> shortForm = {texts({"Short"}), texts({"s"}), texts({"S"}),
                                                       texts({"sLong"})};
    for (const auto& [form, text] :
         {std::pair{&longForm, "Skerrow 1.0.0.0"}, {&shortForm, "1.0.0.0"}}) {
        for (const hostsim::Arguments& args : *form) {
            recordMarkerError();
            const Answer answer = call(SKRW_Version, kSKRW_VersionId, args);
            EXPECT_EQ(answer.hostError, 0);
            EXPECT_EQ(answer.text, text);
            EXPECT_TRUE(answer.isEightBit());
            EXPECT_EQ(answer.localeType, 1);
            EXPECT_EQ(answer.dataType, 1);
            EXPECT_EQ(lastError(), kMarkerError);
        }
    }
}

TEST_F(InfoFunctions, VersionWithABadFirstLetterAnswersErrorAndRecordsTheTriple) {
    for (const hostsim::Arguments& args :
         {texts({"Please Select"}), texts({"1"}), texts({" Short"}), texts({"xl"}),
          texts({"\xC3\x84rger"}), texts({"\xC5\xBF"}), numberArgument(5)}) {
        recordMarkerError();
        const Answer answer = call(SKRW_Version, kSKRW_VersionId, args);
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, "!!ERROR!!");
        EXPECT_TRUE(answer.isEightBit());
        EXPECT_EQ(lastError(), kBadLetter);
    }
}

TEST_F(InfoFunctions, LastErrorSelectsTheFullTextOrTheCodeAndAnswersUtf16) {
    EXPECT_EQ(call(SKRW_GetLastError, kSKRW_GetLastErrorId, {}).text, kCleared);
    EXPECT_EQ(call(SKRW_GetLastError, kSKRW_GetLastErrorId, {"Number"}).text, "0");
    call(SKRW_Version, kSKRW_VersionId, {"Please Select"});
    std::vector<hostsim::Arguments> full = {texts({}), numberArgument(1)},
                                    code = {numberArgument(2)};
    for (const char* selector : {"", "Text", "TEXT", "text", "1", "tExT"}) {
        full.push_back(texts({selector}));
    }
    for (const char* selector : {"Number", "Please Select", "0", "2", "texts", " text", "11"}) {
        code.push_back(texts({selector}));
    }
    for (const auto& [selectors, expected] : {std::pair{&full, kBadLetter}, {&code, "-4"}}) {
        for (const hostsim::Arguments& args : *selectors) {
            const Answer answer = call(SKRW_GetLastError, kSKRW_GetLastErrorId, args);
            EXPECT_EQ(answer.hostError, 0);
            EXPECT_EQ(answer.text, expected);
            EXPECT_TRUE(answer.isUtf16());
            EXPECT_EQ(answer.localeType, kOwnLocaleType);
            EXPECT_EQ(answer.dataType, 1);
        }
    }
    EXPECT_EQ(lastError(), kBadLetter);
}

TEST_F(InfoFunctions, ANonAsciiMessageComesBackUnchangedAsUtf16) {
    storage().SetError(platform::String::fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"),
                       platform::String::fromUtf8("-4"), platform::String::fromUtf8("s"));
    EXPECT_EQ(call(SKRW_GetLastError, kSKRW_GetLastErrorId, {}).units,
              u"MESSAGE: caf\u00e9 \U0001F600\nCODE: -4\nSOURCE: s");
}

TEST_F(InfoFunctions, DebugAnswersZeroAsUtf16WhateverItIsGiven) {
    recordMarkerError();
    for (const Answer& answer :
         {call(SKRW_Debug, kSKRW_DebugId, {}), call(SKRW_Debug, kSKRW_DebugId, {"a", "b", "c"})}) {
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, "0");
        EXPECT_TRUE(answer.isUtf16());
        EXPECT_EQ(answer.localeType, kOwnLocaleType);
    }
    EXPECT_EQ(lastError(), kMarkerError);
}

}  // namespace
