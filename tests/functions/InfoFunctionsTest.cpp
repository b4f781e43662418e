// SKRW_Version, SKRW_GetLastError and SKRW_Debug: the texts they answer, how they answer them,
// and the one error triple they record.
#include <gtest/gtest.h>

#include <string>

#include "ScriptCall.h"
#include "StorageFixture.h"
#include "functions/FunctionTable.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;
using skrw::test::kOwnLocaleType;

constexpr const char* kCleared = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";
constexpr const char* kBadLetter =
    "MESSAGE: Invalid parameter specified\nCODE: -4\nSOURCE: SKRW_Version";

class VersionFunction : public skrw::test::WithStorage {
  protected:
    Answer version(const hostsim::Arguments& args) {
        return call(SKRW_Version, kSKRW_VersionId, args);
    }
    std::string versionText(std::initializer_list<std::string_view> values) {
        return version(skrw::test::texts(values)).text;
    }
};

TEST_F(VersionFunction, NoArgumentAnEmptyOneOrSeveralGiveTheLongForm) {
    EXPECT_EQ(versionText({}), "Skerrow 1.0.0.0");
    EXPECT_EQ(versionText({""}), "Skerrow 1.0.0.0");
    EXPECT_EQ(versionText({"x", "y"}), "Skerrow 1.0.0.0");
    EXPECT_EQ(versionText({"s", "s", "s"}), "Skerrow 1.0.0.0");
}

TEST_F(VersionFunction, OnlyTheFirstLetterChoosesTheForm) {
    for (const char* text : {"Long", "l", "L", "lemon"}) {
        EXPECT_EQ(versionText({text}), "Skerrow 1.0.0.0") << text;
    }
    for (const char* text : {"Short", "s", "S", "sLong"}) {
        EXPECT_EQ(versionText({text}), "1.0.0.0") << text;
    }
}

TEST_F(VersionFunction, AnswersAreEightBitWithANewLocale) {
    const Answer answer = version(skrw::test::texts({"short"}));
    EXPECT_EQ(answer.hostError, 0);
    EXPECT_TRUE(answer.isEightBit());
    EXPECT_EQ(answer.localeType, 1);
    EXPECT_EQ(answer.dataType, 1);
}

TEST_F(VersionFunction, ABadFirstLetterAnswersErrorAndRecordsTheTriple) {
    for (const char* text : {"Please Select", "1", " Short", "xl", "\xC3\x84rger", "\xC5\xBF"}) {
        SCOPED_TRACE(text);
        recordMarkerError();
        const Answer answer = version(skrw::test::texts({text}));
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, "!!ERROR!!");
        EXPECT_TRUE(answer.isEightBit());
        EXPECT_EQ(lastError(), kBadLetter);
    }
}

TEST_F(VersionFunction, ANumberArgumentIsReadAsItsTextAndIsABadLetter) {
    hostsim::Arguments args;
    args.number(5);
    EXPECT_EQ(version(args).text, "!!ERROR!!");
    EXPECT_EQ(lastErrorCode(), "-4");
}

TEST_F(VersionFunction, AGoodLetterLeavesTheLastErrorAlone) {
    recordMarkerError();
    EXPECT_EQ(versionText({"s"}), "1.0.0.0");
    EXPECT_EQ(lastError(), kMarkerError);
}

class LastErrorFunction : public skrw::test::WithStorage {
  protected:
    Answer lastErrorAnswer(std::initializer_list<std::string_view> values) {
        return call(SKRW_GetLastError, kSKRW_GetLastErrorId, values);
    }
};

TEST_F(LastErrorFunction, BeforeAnyFailureAnswersTheClearedRecord) {
    EXPECT_EQ(lastErrorAnswer({}).text, kCleared);
    EXPECT_EQ(lastErrorAnswer({"Number"}).text, "0");
}

TEST_F(LastErrorFunction, SelectorsForTheFullTextAndForTheCodeAlone) {
    call(SKRW_Version, kSKRW_VersionId, {"Please Select"});
    for (const char* selector : {"", "Text", "TEXT", "text", "1", "tExT"}) {
        EXPECT_EQ(lastErrorAnswer({selector}).text, kBadLetter) << '"' << selector << '"';
    }
    EXPECT_EQ(lastErrorAnswer({}).text, kBadLetter);
    for (const char* selector : {"Number", "Please Select", "0", "2", "texts", " text", "11"}) {
        EXPECT_EQ(lastErrorAnswer({selector}).text, "-4") << '"' << selector << '"';
    }
}

TEST_F(LastErrorFunction, ANumberOneSelectsTheFullText) {
    call(SKRW_Version, kSKRW_VersionId, {"?"});
    hostsim::Arguments one;
    one.number(1);
    EXPECT_EQ(call(SKRW_GetLastError, kSKRW_GetLastErrorId, one).text, kBadLetter);
    hostsim::Arguments two;
    two.number(2);
    EXPECT_EQ(call(SKRW_GetLastError, kSKRW_GetLastErrorId, two).text, "-4");
}

TEST_F(LastErrorFunction, AnswersAreUtf16WithTheResultsOwnLocale) {
    for (const Answer& answer : {lastErrorAnswer({}), lastErrorAnswer({"Number"})}) {
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_TRUE(answer.isUtf16());
        EXPECT_EQ(answer.localeType, kOwnLocaleType);
        EXPECT_EQ(answer.dataType, 1);
    }
}

TEST_F(LastErrorFunction, ReadingTheLastErrorDoesNotClearIt) {
    recordMarkerError();
    EXPECT_EQ(lastErrorAnswer({}).text, kMarkerError);
    EXPECT_EQ(lastErrorAnswer({"Number"}).text, "-77");
    EXPECT_EQ(lastError(), kMarkerError);
}

TEST_F(LastErrorFunction, ANonAsciiMessageComesBackUnchangedAsUtf16) {
    storage().SetError(platform::String::fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"),
                       platform::String::fromUtf8("-4"), platform::String::fromUtf8("s"));
    const Answer answer = lastErrorAnswer({});
    EXPECT_EQ(answer.units, u"MESSAGE: caf\u00e9 \U0001F600\nCODE: -4\nSOURCE: s");
}

class DebugFunction : public skrw::test::WithStorage {};

TEST_F(DebugFunction, AnswersZeroAsUtf16WhateverItIsGiven) {
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
