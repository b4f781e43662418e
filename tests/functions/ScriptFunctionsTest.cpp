// The script functions that need no storage service: the count check of every registered
// function, the version, the last error, the debug answer, the log switches, and the answer to a
// failure the host framework reports.
#include <filesystem>
#include <fstream>

#include "ScriptCall.h"
#include "log/PluginLogger.h"
#include "storage/SkrError.h"

namespace skrw::test {
using namespace skrw::functions;

namespace {

skrw::hostsim::Arguments count(int count) {
    skrw::hostsim::Arguments args;
    for (int i = 0; i < count; ++i) args.textUtf8("x");
    return args;
}
skrw::hostsim::Arguments number(long double value) {
    return skrw::hostsim::Arguments().number(value);
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
    for (const auto callback : {SKRW_ListAllBuckets, SKRW_GetLastError, SKRW_Version}) {
        EXPECT_EQ(call(callback, texts({"x"})).text, "!!ERROR!!");
    }
}

TEST_F(Functions, VersionFormIsChosenByTheFirstLatin1LetterOfAnOnlyArgument) {
    const std::string bad = "!!ERROR!!", full = "Skerrow 1.0.0.0", digits = "1.0.0.0";
    const auto check = [&](const skrw::hostsim::Arguments& args, const std::string& version) {
        markError();
        const Answer answer = call(SKRW_Version, args);
        EXPECT_EQ(std::tie(answer.text, answer.localeType), std::tuple(version, 1));
        const SkrError badLetter(platform::String::fromUtf8("Invalid parameter specified"),
                                 platform::String::fromUtf8("-4"),
                                 platform::String::fromUtf8("SKRW_Version"));
        EXPECT_TRUE(version != bad ? marked() : lastError() == badLetter.getError().utf8());
    };
    // The long s (U+017F) upper-cases to S but has no Latin-1 form.
    const std::pair<const char*, std::string> rows[] = {
        {"", full},    {"L", full},       {"lemon", full},        {"Short", digits},
        {"S", digits}, {"sLong", digits}, {"Please Select", bad}, {" S", bad},
        {"1", bad},    {"\xC3\x84", bad}, {"\xC5\xBF", bad}};
    for (const auto& [text, version] : rows) check(texts({text}), version);
    check(texts({}), full);
    check(texts({"s", "s"}), full);
    check(number(5), bad);
}

TEST_F(Functions, LastErrorAnswersTheFullTextOrTheCodeAndDebugZeroAsUtf16) {
    markError();
    const auto check = [](const Answer& answer, const std::string& text) {
        EXPECT_EQ(std::tie(answer.text, answer.utf16, answer.localeType),
                  std::tuple(text, true, kOwnLocaleType));
    };
    for (const char* selector : {"", "tExT", "1"})
        check(call(SKRW_GetLastError, texts({selector})), lastError());
    for (const char* selector : {"Number", "0", " text", "texts"})
        check(call(SKRW_GetLastError, texts({selector})), "-77");
    check(call(SKRW_GetLastError, {}), lastError());
    check(call(SKRW_GetLastError, number(1)), lastError());
    check(call(SKRW_GetLastError, number(2)), "-77");
    check(call(SKRW_Debug, {}), "0");
    check(call(SKRW_Debug, count(3)), "0");
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
        std::filesystem::current_path(folder_);  // the log walk enters the log's folder
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
    const std::filesystem::path folder_ = std::filesystem::current_path();
};

TEST_F(LogSwitch, TheFirstOfOneOrTwoArgumentsSwitchesByItsTruthAndClearNeedsTheLog) {
    markError();
    for (const Answer& answer : {call(SKRW_LogSet, {}), call(SKRW_LogSet, count(3))}) {
        EXPECT_EQ(std::tie(answer.text, answer.localeType),
                  std::tuple("!!ERROR!!", kOwnLocaleType));
    }
    EXPECT_EQ(call(SKRW_LogClear, texts({"a"})).text, "!!ERROR!!");
    EXPECT_TRUE(lines().empty() && marked());
    for (const auto& [text, on] : {std::pair{"9", true},
                                   {"T", true},
                                   {" 1", true},
                                   {"ON", false},
                                   {"No", false},
                                   {"", false},
                                   {"1", true},
                                   {"1", true}}) {
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
    const std::vector<std::string> log = lines();
    EXPECT_EQ(std::vector(log.begin() + 1, log.end()),
              std::vector<std::string>({"\tFUNCTION ENTER: SKRW_Version", "\t\tReturning 1.0.0.0",
                                        "\tFUNCTION EXIT: SKRW_Version",
                                        "\tFUNCTION ENTER: SKRW_Version"}));
    EXPECT_EQ(call(SKRW_LogClear, {}).text, "0");
    EXPECT_EQ(lines().size(), 1u);
}

TEST_F(Functions, EveryFunctionAnswersTheHostFailuresCodeAndSetsNoResult) {
    for (const auto& [operation, code] :
         {std::pair{HostOperation::TextConstructor, 1}, {HostOperation::DataSetAsText, 2}}) {
        for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
            failHostOperation(operation, code);
            const Answer answer = call(entry.callback, count(entry.least));
            EXPECT_TRUE(answer.hostError == code && !answer.set) << entry.name << " " << code;
        }
    }
}

TEST_F(Functions, AHostFailureBeforeTheOperationAnswersItsCodeAndKeepsTheRecord) {
    using enum HostOperation;
    const struct {
        HostOperation operation;
        int code, skip;
        ExtPluginType function;
        skrw::hostsim::Arguments args;
    } rows[] = {{DataSetAsText, 2, 0, &SKRW_DeleteObject, {}},
                {DataSetAsText, 2, 0, &SKRW_LogSet, {}},
                {DataSetAsText, 2, 0, &SKRW_LogClear, {}},
                {TextConstructor, 1, 0, &SKRW_LogSet, texts({"1"})},
                {LocaleConstructor, 1, 0, &SKRW_Version, {}},
                {TextConstructor, 1, 0, &SKRW_Version, texts({"x"})},
                {DataVectAtAsText, 2, 1, &SKRW_GetBucket, texts({"b", "prefix"})}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        markError();
        failHostOperation(rows[i].operation, rows[i].code, rows[i].skip);
        const Answer answer = call(rows[i].function, rows[i].args);
        EXPECT_TRUE(answer.hostError == rows[i].code && !answer.set && marked() && !m_pl) << i;
    }
}

}  // namespace
}  // namespace skrw::test
