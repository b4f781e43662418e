// The script functions that need no storage service: the count check of every registered
// function, the version, the last error, the debug answer, the log switches, and the answer to a
// failure the host framework reports.
#include <fstream>

#include "ScriptCall.h"
#include "TestEnv.h"
#include "log/PluginLogger.h"

namespace skrw::test {
using namespace skrw::functions;
namespace {

Args count(int count) {
    Args args;
    for (int i = 0; i < count; ++i) args.textUtf8("x");
    return args;
}

class Functions : public WithStorage {};

TEST_F(Functions, CountsOutsideTheTableBoundsAnswerErrorWithTheResultsLocaleAndKeepTheRecord) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        if (entry.id == kSKRW_VersionId || entry.id == kSKRW_DebugId) continue;  // no check
        for (const int n : {entry.least - 1, +entry.least, +entry.most, entry.most + 1}) {
            if (n < 0) continue;
            SCOPED_TRACE(std::string(entry.name) + " with " + std::to_string(n));
            const bool accepted = n >= entry.least && n <= entry.most;
            const bool readsTheRecord = entry.id == kSKRW_GetLastErrorId;
            markError();
            const Answer answer = call(entry.callback, count(n));
            EXPECT_TRUE(accepted || answer.text == "!!ERROR!!") << answer.text;
            EXPECT_EQ(answer.utf16, accepted && readsTheRecord);
            EXPECT_EQ(answer.localeType, accepted && !readsTheRecord ? 1 : kOwnLocaleType);
            // Without credentials every operation fails, after clearing the record.
            EXPECT_EQ(marked(), !accepted || readsTheRecord);
        }
    }
}

TEST(WithoutStorage, FunctionsAnswerErrorInsteadOfCrashing) {
    for (const auto callback : {SKRW_ListAllBuckets, SKRW_GetLastError, SKRW_Version})
        EXPECT_EQ(call(callback, texts({"x"})).text, "!!ERROR!!");
}

TEST_F(Functions, VersionFormIsChosenByTheFirstLatin1LetterOfAnOnlyArgument) {
    using S = platform::String;
    const std::string bad = "!!ERROR!!", full = "Skerrow 1.0.0.0", digits = "1.0.0.0";
    const std::string badLetter = SkrError(S::fromUtf8("Invalid parameter specified"),
                                           S::fromUtf8("-4"), S::fromUtf8("SKRW_Version"))
                                      .getError()
                                      .utf8();
    // The long s (U+017F) upper-cases to S but has no Latin-1 form.
    const std::pair<Args, std::string> rows[] = {
        {texts({""}), full},    {texts({"L"}), full},       {texts({"lemon"}), full},
        {texts({"S"}), digits}, {texts({"sLong"}), digits}, {texts({"Please Select"}), bad},
        {texts({" S"}), bad},   {texts({"\xC5\xBF"}), bad}, {Args().number(5), bad},
        {texts({}), full},      {texts({"s", "s"}), full}};
    for (const auto& [args, version] : rows) {
        markError();
        const Answer answer = call(SKRW_Version, args);
        EXPECT_EQ(std::tie(answer.text, answer.localeType), std::tuple(version, 1));
        EXPECT_TRUE(version != bad ? marked() : lastError() == badLetter) << version;
    }
}

TEST_F(Functions, LastErrorAnswersTheFullTextOrTheCodeAndDebugZeroAsUtf16) {
    markError();
    const std::pair<Answer, std::string> rows[] = {
        {call(SKRW_GetLastError, texts({""})), lastError()},
        {call(SKRW_GetLastError, texts({"tExT"})), lastError()},
        {call(SKRW_GetLastError, texts({"1"})), lastError()},
        {call(SKRW_GetLastError, {}), lastError()},
        {call(SKRW_GetLastError, texts({"0"})), "-77"},
        {call(SKRW_GetLastError, texts({" text"})), "-77"},
        {call(SKRW_GetLastError, texts({"texts"})), "-77"},
        {call(SKRW_Debug, count(3)), "0"}};
    for (const auto& [answer, text] : rows) {
        EXPECT_EQ(std::tie(answer.text, answer.utf16, answer.localeType),
                  std::tuple(text, true, kOwnLocaleType));
    }
    EXPECT_TRUE(marked());
}

class LogSwitch : public WithStorage {
  protected:
    void SetUp() override {
        WithStorage::SetUp();
        setenv("HOME", home_.path().c_str(), 1);
    }
    void TearDown() override {
        delete std::exchange(m_pl, nullptr);
        WithStorage::TearDown();
    }
    // The log's lines without their dates: the indentation tabs and the text.
    std::vector<std::string> lines() const {
        std::vector<std::string> lines;
        std::ifstream in(home_.path() + "/Desktop/VORNIQ/HALDOREN/LogFile.txt");
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(17));
        return lines;
    }
    TempDir home_;
    CurrentFolderGuard folder_;  // the log walk enters the log's folder
};

TEST_F(LogSwitch, TheFirstOfOneOrTwoArgumentsSwitchesByItsTruthAndClearNeedsTheLog) {
    markError();
    for (const Answer& answer : {call(SKRW_LogSet, {}), call(SKRW_LogSet, count(3))})
        EXPECT_EQ(std::tie(answer.text, answer.localeType),
                  std::tuple("!!ERROR!!", kOwnLocaleType));
    EXPECT_EQ(call(SKRW_LogClear, texts({"a"})).text, "!!ERROR!!");
    EXPECT_TRUE(lines().empty() && marked());
    for (const auto& [text, on] : {std::pair{"T", true}, {"ON", false}, {"1", true}, {"1", true}}) {
        const Answer answer = call(SKRW_LogSet, texts({text, "1"}));
        EXPECT_EQ(std::tie(answer.text, answer.localeType), std::tuple("0", 1));
        EXPECT_EQ(m_pl != nullptr, on) << text;
    }
    // Only real switches write banners; a second switch-on keeps the logger.
    EXPECT_EQ(lines().size(), 3u);
}

TEST_F(LogSwitch, VersionLogsItsAnswerAndClearLeavesOnlyItsBanner) {
    call(SKRW_LogSet, texts({"1"}));
    call(SKRW_Version, texts({"s"}));
    call(SKRW_Version, texts({"x"}));  // a bad letter answers before any other line
    EXPECT_EQ(lines(), std::vector<std::string>(
                           {"\t************* SESSION STARTED *************",
                            "\tFUNCTION ENTER: SKRW_Version", "\t\tReturning 1.0.0.0",
                            "\tFUNCTION EXIT: SKRW_Version", "\tFUNCTION ENTER: SKRW_Version"}));
    EXPECT_EQ(call(SKRW_LogClear, {}).text, "0");
    EXPECT_EQ(lines().size(), 1u);
}

TEST_F(Functions, AHostFailureAnswersItsCodeSetsNoResultAndKeepsTheRecord) {
    using enum HostOp;
    // Every registered function, its frame failing first (1) or its answer (2).
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        for (const auto& [operation, code] : {std::pair{NewText, 1}, {SetResult, 2}}) {
            failHostOperation(operation, code);
            const Answer answer = call(entry.callback, count(entry.least));
            EXPECT_TRUE(answer.hostError == code && !answer.set) << entry.name << " " << code;
        }
    }
    const struct {
        HostOp operation;
        int code, skip;
        ExtPluginType function;
        Args args;
    } rows[] = {{SetResult, 2, 0, &SKRW_DeleteObject, {}},
                {SetResult, 2, 0, &SKRW_LogSet, {}},
                {SetResult, 2, 0, &SKRW_LogClear, {}},
                {NewText, 1, 0, &SKRW_LogSet, texts({"1"})},
                {NewLocale, 1, 0, &SKRW_Version, {}},
                {NewText, 1, 0, &SKRW_Version, texts({"x"})},
                {ArgText, 2, 1, &SKRW_GetBucket, texts({"b", "prefix"})}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        markError();
        failHostOperation(rows[i].operation, rows[i].code, rows[i].skip);
        const Answer answer = call(rows[i].function, rows[i].args);
        EXPECT_TRUE(answer.hostError == rows[i].code && !answer.set && marked() && !m_pl) << i;
    }
}

}  // namespace
}  // namespace skrw::test
