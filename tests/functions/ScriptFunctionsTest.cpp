// The script functions that need no storage service: the argument-count check of every
// registered function, the version, the last error, the debug answer, the yes/no rule, the log
// switches, and what a function answers when the host framework reports a failure.
#include <filesystem>
#include <fstream>

#include "ScriptCall.h"
#include "TestServer.h"
#include "log/PluginLogger.h"
#include "storage/SkrError.h"

namespace skrw::test {
namespace {

using S = platform::String;

hostsim::Arguments argumentsOfCount(int count) {
    hostsim::Arguments args;
    for (int i = 0; i < count; ++i) args.textUtf8("x");
    return args;
}

hostsim::Arguments number(long double value) {
    hostsim::Arguments args;
    args.number(value);
    return args;
}

const SkrError kBadLetter(S::fromUtf8("Invalid parameter specified"), S::fromUtf8("-4"),
                          S::fromUtf8("SKRW_Version"));

class Functions : public WithStorage {};

TEST_F(Functions, CountsOutsideTheTableBoundsAnswerErrorWithTheResultsLocaleAndKeepTheRecord) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        if (entry.id == kSKRW_VersionId || entry.id == kSKRW_DebugId) continue;  // no check
        for (const int count : {entry.least - 1, +entry.least, +entry.most, entry.most + 1}) {
            if (count < 0) continue;
            SCOPED_TRACE(std::string(entry.name) + " with " + std::to_string(count));
            const bool accepted = count >= entry.least && count <= entry.most;
            const bool readsTheRecord = entry.id == kSKRW_GetLastErrorId;
            markError();
            const Answer answer = call(entry.callback, argumentsOfCount(count));
            EXPECT_EQ(answer.hostError, 0);
            // Without credentials every operation fails, after clearing the record.
            EXPECT_TRUE(accepted || answer.text == "!!ERROR!!") << answer.text;
            EXPECT_EQ(answer.utf16, accepted && readsTheRecord);
            EXPECT_EQ(answer.localeType, accepted && !readsTheRecord ? 1 : kOwnLocaleType);
            EXPECT_EQ(marked(), !accepted || readsTheRecord);
        }
    }
}

TEST(WithoutStorage, FunctionsAnswerErrorInsteadOfCrashing) {
    EXPECT_EQ(call(SKRW_ListAllBuckets, {}).text, "!!ERROR!!");
    EXPECT_EQ(call(SKRW_GetLastError, {}).text, "!!ERROR!!");
    EXPECT_EQ(call(SKRW_Version, texts({"x"})).text, "!!ERROR!!");
}

TEST_F(Functions, VersionFormIsChosenByTheFirstLatin1LetterOfAnOnlyArgument) {
    const std::pair<hostsim::Arguments, const char*> rows[] = {
        {texts({}), "Skerrow 1.0.0.0"},       {texts({""}), "Skerrow 1.0.0.0"},
        {texts({"s", "s"}), "Skerrow 1.0.0.0"}, {texts({"lemon"}), "Skerrow 1.0.0.0"},
        {texts({"L"}), "Skerrow 1.0.0.0"},    {texts({"Short"}), "1.0.0.0"},
        {texts({"S"}), "1.0.0.0"},            {texts({"sLong"}), "1.0.0.0"},
        {texts({"Please Select"}), nullptr},  {texts({" Short"}), nullptr},
        {texts({"1"}), nullptr},              {texts({"\xC3\x84rger"}), nullptr},
        {texts({"\xC5\xBF"}), nullptr},  // the long s, which upper-cases to S
        {number(5), nullptr},
    };
    for (const auto& [args, version] : rows) {
        SCOPED_TRACE(version ? version : "bad letter");
        markError();
        const Answer answer = call(SKRW_Version, args);
        EXPECT_EQ(answer.text, version ? version : "!!ERROR!!");
        EXPECT_FALSE(answer.utf16);
        EXPECT_EQ(answer.localeType, 1);
        EXPECT_EQ(lastError(), (version ? marker() : kBadLetter).getError().utf8());
    }
}

TEST_F(Functions, LastErrorAnswersTheFullTextOrTheCodeAsUtf16) {
    markError();
    const std::pair<hostsim::Arguments, bool> rows[] = {
        {texts({}), true},         {texts({""}), true},       {texts({"tExT"}), true},
        {texts({"1"}), true},      {number(1), true},         {texts({"Number"}), false},
        {texts({"0"}), false},     {texts({" text"}), false}, {texts({"texts"}), false},
        {texts({"11"}), false},    {number(2), false},
    };
    for (const auto& [args, full] : rows) {
        const Answer answer = call(SKRW_GetLastError, args);
        EXPECT_EQ(answer.text, full ? lastError() : "-77");
        EXPECT_TRUE(answer.utf16);
        EXPECT_EQ(answer.localeType, kOwnLocaleType);
    }
}

TEST_F(Functions, DebugAnswersZeroAsUtf16WhateverItIsGiven) {
    markError();
    for (const Answer& answer : {call(SKRW_Debug, {}), call(SKRW_Debug, texts({"a", "b", "c"}))}) {
        EXPECT_EQ(answer.text, "0");
        EXPECT_TRUE(answer.utf16);
        EXPECT_EQ(answer.localeType, kOwnLocaleType);
    }
    EXPECT_TRUE(marked());
}

TEST(YesNo, OnlyTheTrueWordsInAnyCaseReadAsYesAndAbsentAsNo) {
    const std::pair<const char*, bool> rows[] = {
        {"y", true},     {"YES", true},  {"yEs", true},   {"On", true},       {"1", true},
        {"True", true},  {"", false},    {"0", false},    {"2", false},       {"T", false},
        {"no", false},   {"off", false}, {" yes", false}, {"yes ", false},    {"01", false},
        {"yess", false}, {"\xC3\xBD", false}, {"ye\xC5\xBF", true},  // long s upper-cases to S
    };
    for (const auto& [text, yes] : rows) {
        EXPECT_EQ(BoolFromDV(texts({"first", text}).vect(), 1), yes) << '"' << text << '"';
    }
    hostsim::Arguments args;
    args.number(1).number(1.5);
    EXPECT_TRUE(BoolFromDV(args.vect(), 0));
    EXPECT_FALSE(BoolFromDV(args.vect(), 1));
    EXPECT_FALSE(BoolFromDV(args.vect(), 2));
    EXPECT_FALSE(BoolFromDV(args.vect(), -1));
}

class LogSwitch : public WithStorage {
  protected:
    void SetUp() override {
        WithStorage::SetUp();
        setenv("HOME", home_.path().c_str(), 1);
    }
    void TearDown() override {
        delete m_pl;
        m_pl = nullptr;
        std::filesystem::current_path(folder_);  // the log walk enters the log's folder
        WithStorage::TearDown();
    }
    static Answer logSet(std::initializer_list<std::string_view> values) {
        return call(SKRW_LogSet, texts(values));
    }
    // Each line of the log without its date: the indentation tabs and the text.
    std::vector<std::string> lines() const {
        std::vector<std::string> lines;
        std::ifstream in(home_.path() + "/Desktop/VORNIQ/HALDOREN/LogFile.txt");
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(17));
        return lines;
    }
    TempDir home_;
    const std::filesystem::path folder_ = std::filesystem::current_path();
};

using Lines = std::vector<std::string>;
constexpr const char* kStarted = "\t************* SESSION STARTED *************";
constexpr const char* kEnded = "\t************* SESSION ENDED *************";

TEST_F(LogSwitch, TheFirstArgumentsTruthSwitchesTheLogAndOnlyRealSwitchesWriteBanners) {
    for (const auto& [text, on] : {std::pair{"9", true}, {"T", true}, {" 1", true},
                                   {"ON", false}, {"No", false}, {"", false}}) {
        SCOPED_TRACE(text);
        const Answer answer = logSet({text});
        EXPECT_EQ(answer.text, "0");
        EXPECT_EQ(answer.localeType, 1);
        EXPECT_EQ(m_pl != nullptr, on);
        logSet({"0"});
    }
    std::filesystem::remove(home_.path() + "/Desktop/VORNIQ/HALDOREN/LogFile.txt");
    logSet({"1"});
    PluginLogger* first = m_pl;
    logSet({"yes", "0"});  // the second argument is never read
    EXPECT_EQ(m_pl, first);
    logSet({"0", "1"});
    EXPECT_EQ(m_pl, nullptr);
    logSet({"0"});
    EXPECT_EQ(lines(), Lines({kStarted, kEnded}));
}

TEST_F(LogSwitch, CountsOutsideOneToTwoAndClearWithoutALogAnswerErrorAndChangeNothing) {
    markError();
    for (const Answer& answer : {logSet({}), logSet({"1", "1", "1"}), call(SKRW_LogClear, {})}) {
        EXPECT_EQ(answer.text, "!!ERROR!!");
        EXPECT_EQ(m_pl, nullptr);
    }
    EXPECT_EQ(logSet({}).localeType, kOwnLocaleType);
    EXPECT_EQ(call(SKRW_LogClear, texts({"a"})).localeType, 1);
    EXPECT_TRUE(marked());
    EXPECT_TRUE(lines().empty());
}

TEST_F(LogSwitch, VersionLogsItsAnswerAndClearLeavesOnlyItsBanner) {
    logSet({"1"});
    call(SKRW_Version, texts({"s"}));
    call(SKRW_Version, texts({"x"}));  // a bad letter answers before any other line
    EXPECT_EQ(lines(), Lines({kStarted, "\tFUNCTION ENTER: SKRW_Version", "\t\tReturning 1.0.0.0",
                              "\tFUNCTION EXIT: SKRW_Version", "\tFUNCTION ENTER: SKRW_Version"}));
    EXPECT_EQ(call(SKRW_LogClear, texts({"ignored"})).text, "0");
    EXPECT_EQ(lines(), Lines({"\t\t************* CONTENT CLEARED *************"}));
}

TEST_F(Functions, EveryFunctionAnswersTheHostFailuresCodeAndSetsNoResult) {
    for (const auto& [operation, code] : {std::pair{HostOperation::TextConstructor, 1},
                                          {HostOperation::DataSetAsText, 2}}) {
        for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
            SCOPED_TRACE(std::string(entry.name) + " with code " + std::to_string(code));
            failHostOperation(operation, code);
            const Answer answer = call(entry.callback, argumentsOfCount(entry.least));
            EXPECT_EQ(answer.hostError, code);
            EXPECT_FALSE(answer.set);
        }
    }
}

TEST_F(Functions, AHostFailureBeforeTheOperationAnswersItsCodeAndKeepsTheRecord) {
    const struct {
        HostOperation operation;
        int code, skip;
        ExtPluginType function;
        hostsim::Arguments args;
    } rows[] = {
        {HostOperation::DataSetAsText, 2, 0, &SKRW_DeleteObject, {}},  // the count failure
        {HostOperation::DataSetAsText, 2, 0, &SKRW_LogSet, {}},
        {HostOperation::DataSetAsText, 2, 0, &SKRW_LogClear, {}},
        {HostOperation::TextConstructor, 1, 0, &SKRW_LogSet, texts({"1"})},
        {HostOperation::LocaleConstructor, 1, 0, &SKRW_Version, {}},
        {HostOperation::TextConstructor, 1, 0, &SKRW_Version, texts({"x"})},
        {HostOperation::DataVectAtAsText, 2, 1, &SKRW_GetBucket, texts({"bucket", "prefix"})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        markError();
        failHostOperation(rows[i].operation, rows[i].code, rows[i].skip);
        const Answer answer = call(rows[i].function, rows[i].args);
        EXPECT_EQ(answer.hostError, rows[i].code);
        EXPECT_FALSE(answer.set);
        EXPECT_TRUE(marked());
        EXPECT_EQ(m_pl, nullptr);
    }
}

}  // namespace
}  // namespace skrw::test
