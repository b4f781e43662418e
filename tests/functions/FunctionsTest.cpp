// The script functions called as the host calls them, with a fresh storage object in m_objFuncs;
// against the local S3 server (StorageFunctions) only what the functions decide about their
// arguments. What the operations themselves do is tested with the storage object (tests/storage).
#include <gtest/gtest.h>

#include "HostFailures.h"
#include "LogLines.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "Texts.h"
#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "hostsim/HostValues.h"
#include "log/PluginLogger.h"
#include "storage/SKFuncs.h"

namespace skrw::test {
using namespace skrw::functions;
namespace {

using Args = skrw::hostsim::Arguments;
// The locale type of a result before the call: the count failure and the UTF-16 path keep it,
// the 8-bit path sets a new locale of type 1.
constexpr std::int32_t kOwnLocaleType = 7;

struct Answer {
    short hostError;
    bool set;
    std::string text;
    bool utf16;
    std::int32_t localeType;
};

Args texts(const std::vector<std::string_view>& values) {
    Args args;
    for (std::string_view value : values) args.textUtf8(value);
    return args;
}

Args count(int count) {
    return texts(std::vector<std::string_view>(count, "x"));
}

Answer call(ExtPluginType callback, const Args& args) {
    skrw::hostsim::Result result;
    skrw::hostsim::host(&result.data())->locale.type = kOwnLocaleType;
    const short hostError = skrw::hostsim::invoke(callback, 0, args, result);
    return {hostError, result.isSet(), result.textUtf8(),
            result.origin() == skrw::hostsim::TextOrigin::Utf16, result.localeType()};
}

class Functions : public ::testing::Test {
  protected:
    void SetUp() override { m_objFuncs = new SKFuncs(); }
    void TearDown() override {
        delete std::exchange(m_pl, nullptr);
        delete std::exchange(m_objFuncs, nullptr);
    }
    // A record no function makes, its message outside ASCII.
    static void markError() {
        m_objFuncs->SetError(u8("caf\xC3\xA9 \xF0\x9F\x98\x80"), u8("-77"), u8("m"));
    }
    static std::string lastError() { return m_objFuncs->getLastError().utf8(); }
    static bool marked() { return m_objFuncs->getLastErrorCode().utf8() == "-77"; }
    // The lines of the switched-on log without their dates: the indentation tabs and the text.
    std::vector<std::string> logLines() const {
        return loggedLines(m_home.path() + "/Desktop/VORNIQ/HALDOREN/LogFile.txt");
    }
    TempDir m_home;
    ScopedEnv m_homeVariable{"HOME", m_home.path()};
    CurrentFolderGuard m_folder;  // the log walk enters the log's folder
};

TEST_F(Functions, CountsOutsideTheTableBoundsAnswerErrorWithTheResultsLocaleAndKeepTheRecord) {
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        if (entry.id == kSKRW_VersionId || entry.id == kSKRW_DebugId) continue;  // no check
        for (int n = std::max(entry.least - 1, 0); n <= entry.most + 1; ++n) {
            SCOPED_TRACE(std::string(entry.name) + " with " + std::to_string(n));
            const bool accepted = n >= entry.least && n <= entry.most;
            const bool readsTheRecord = entry.id == kSKRW_GetLastErrorId;
            markError();
            const Answer answer = call(entry.callback, count(n));
            // Without credentials every operation fails, after clearing the record.
            EXPECT_EQ(std::tuple(accepted || answer.text == "!!ERROR!!", answer.utf16,
                                 answer.localeType, marked()),
                      std::tuple(true, accepted && readsTheRecord,
                                 accepted && !readsTheRecord ? 1 : kOwnLocaleType,
                                 !accepted || readsTheRecord));
        }
    }
    delete std::exchange(m_objFuncs, nullptr);
    for (const auto callback : {SKRW_ListAllBuckets, SKRW_GetLastError, SKRW_Version})
        EXPECT_EQ(call(callback, texts({"x"})).text, "!!ERROR!!");  // no storage object
}

TEST_F(Functions, AnswersThatNeedNoStorageServiceFollowTheirArguments) {
    const std::string bad = "!!ERROR!!", full = "Skerrow 1.0.0.0", digits = "1.0.0.0";
    const std::string badLetter =
        SkrError(u8("Invalid parameter specified"), u8("-4"), u8("SKRW_Version")).getError().utf8();
    markError();
    const std::string record = lastError();
    // The version's form is chosen by the first Latin-1 letter of an only argument (the long s,
    // U+017F, upper-cases to S but has no Latin-1 form); the last error's selector asks for the
    // full text or the code, answered as UTF-16 like Debug's; the log switch takes one or two
    // arguments (a refused count keeps the result's locale) and the clearing needs the log.
    const auto V = &SKRW_Version, E = &SKRW_GetLastError, L = &SKRW_LogSet;
    const std::tuple<ExtPluginType, Args, std::string> rows[] = {
        {V, texts({""}), full},
        {V, texts({"L"}), full},
        {V, texts({"lemon"}), full},
        {V, texts({"S"}), digits},
        {V, texts({"sLong"}), digits},
        {V, texts({" S"}), bad},
        {V, texts({"\xC5\xBF"}), bad},
        {V, texts({}), full},
        {V, texts({"s", "s"}), full},
        {E, texts({""}), record},
        {E, texts({"tExT"}), record},
        {E, texts({"1"}), record},
        {E, texts({}), record},
        {E, texts({"0"}), "-77"},
        {E, texts({" text"}), "-77"},
        {E, texts({"texts"}), "-77"},
        {&SKRW_Debug, count(3), "0"},
        {L, texts({}), bad},
        {L, count(3), bad},
        {&SKRW_LogClear, texts({"a"}), bad}};
    for (const auto& row : rows) {
        const auto& [function, args, expected] = row;
        SCOPED_TRACE("row " + std::to_string(&row - rows) + ", answering " + expected);
        markError();
        const Answer answer = call(function, args);
        const bool utf16 = function == E || function == &SKRW_Debug;
        EXPECT_EQ(std::tie(answer.text, answer.utf16, answer.localeType),
                  std::tuple(expected, utf16, utf16 || function == L ? kOwnLocaleType : 1));
        EXPECT_TRUE(function == V && expected == bad ? lastError() == badLetter
                                                     : marked() && !m_pl);
    }
}

TEST_F(Functions, TheFirstOfOneOrTwoArgumentsSwitchesTheLogByItsTruthAndVersionLogsItsAnswer) {
    for (const auto& [text, on] : {std::pair{"T", true}, {"ON", false}, {"1", true}, {"1", true}}) {
        const Answer answer = call(SKRW_LogSet, texts({text, "1"}));
        EXPECT_EQ(std::tie(answer.text, answer.localeType), std::tuple("0", 1));
        EXPECT_EQ(m_pl != nullptr, on) << text;
    }
    // Only real switches write banners; a second switch-on keeps the logger.
    EXPECT_EQ(logLines().size(), 3u);
    call(SKRW_Version, texts({"s"}));
    call(SKRW_Version, texts({"x"}));  // a bad letter answers before any other line
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::vector(lines.begin() + 3, lines.end()),
              std::vector<std::string>({"\tFUNCTION ENTER: SKRW_Version", "\t\tReturning 1.0.0.0",
                                        "\tFUNCTION EXIT: SKRW_Version",
                                        "\tFUNCTION ENTER: SKRW_Version"}));
    EXPECT_EQ(call(SKRW_LogClear, {}).text, "0");
    EXPECT_EQ(logLines().size(), 1u);
}

TEST_F(Functions, AHostFailureAnswersItsCodeSetsNoResultAndKeepsTheRecord) {
    using enum HostOp;
    // Every registered function, its frame failing first or its answer: a host failure answers
    // its own code, running out of memory 1 and any other failure 2.
    const std::tuple<HostOp, std::int32_t, short> faults[] = {{NewText, 1, 1},
                                                              {SetResult, 2, 2},
                                                              {NewText, kThrowsOutOfMemory, 1},
                                                              {SetResult, kThrowsOutOfMemory, 1},
                                                              {NewText, kThrowsOther, 2},
                                                              {SetResult, kThrowsOther, 2}};
    for (const ScriptFunctionEntry& entry : ScriptFunctionTable()) {
        for (const auto& [operation, fault, code] : faults) {
            failHostOperation(operation, fault);
            const Answer answer = call(entry.callback, count(entry.least));
            EXPECT_TRUE(answer.hostError == code && !answer.set) << entry.name << " " << fault;
        }
    }
    const std::tuple<HostOp, std::int32_t, int, ExtPluginType, Args, short> rows[] = {
        {SetResult, 2, 0, &SKRW_DeleteObject, {}, 2},
        {SetResult, 2, 0, &SKRW_LogSet, {}, 2},
        {SetResult, 2, 0, &SKRW_LogClear, {}, 2},
        {NewText, 1, 0, &SKRW_LogSet, texts({"1"}), 1},
        {NewText, 1, 0, &SKRW_Version, texts({"x"}), 1},
        {ArgText, 2, 1, &SKRW_GetBucket, texts({"b", "p"}), 2},
        {ArgText, kThrowsOutOfMemory, 0, &SKRW_LogSet, texts({"1"}), 1},
        {ArgText, kThrowsOther, 1, &SKRW_GetBucket, texts({"b", "p"}), 2}};
    for (const auto& row : rows) {
        const auto& [operation, fault, skip, function, args, code] = row;
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        markError();
        failHostOperation(operation, fault, skip);
        const Answer answer = call(function, args);
        EXPECT_TRUE(answer.hostError == code && !answer.set && marked() && !m_pl);
    }
}

class StorageFunctions : public Functions {
  protected:
    void SetUp() override {
        useServerEndpoint();
        Functions::SetUp();
        ASSERT_EQ(answer(SKRW_UseCredentials, texts({"s3", kAccessKey, kSecretKey})), "0");
        ASSERT_EQ(answer(SKRW_CreateBucket, texts({m_bucket})), "0");
    }
    static std::string answer(ExtPluginType function, const Args& args) {
        return call(function, args).text;
    }
    std::string file(const std::string& name) {
        writeFile(m_files.path() + "/" + name, name);
        return m_files.path() + "/" + name;
    }
    TempDir m_files;
    const std::string m_bucket = uniqueName("functions");
};

TEST_F(StorageFunctions, ArgumentsReachTheOperationsInTheirPlacesAsTheirUtf16Units) {
    const std::string key = " a\xEF\xBF\xBD ", download = m_files.volumesPath() + "/b";
    // An unpaired surrogate becomes U+FFFD and blanks stay; an absent delete flag keeps the file.
    const Args post = Args().textUtf8(m_bucket).text(u" a\xD800 ").textUtf8(file("a"));
    ASSERT_EQ(answer(SKRW_PostObject, post), "0");
    EXPECT_EQ(answer(SKRW_CopyObject, texts({m_bucket, key, m_bucket, "b"})), "0");
    EXPECT_EQ(answer(SKRW_GetObject, texts({m_bucket, "b", download})), "0");
    EXPECT_EQ(std::filesystem::file_size(download), 1u);
    EXPECT_EQ(answer(SKRW_DeleteObject, texts({m_bucket, key})), "0");
    EXPECT_TRUE(std::filesystem::exists(m_files.path() + "/a"));
    // The fourth argument is the delete flag: exactly one of the true words, in any case.
    const std::pair<const char*, bool> flags[] = {
        {"y", false}, {"TRUE", false}, {"oN", false},  {"1", false}, {"ye\xC5\xBF", false},
        {"T", true},  {" yes", true},  {"yes ", true}, {"2", true}};
    for (const auto& [flag, kept] : flags) {
        const std::string path = file("flag");
        EXPECT_EQ(answer(SKRW_PostObject, texts({m_bucket, "flag", path, flag})), "0");
        EXPECT_EQ(std::filesystem::exists(path), kept) << '"' << flag << '"';
    }
    EXPECT_NE(("\n" + answer(SKRW_ListAllBuckets, {})).find("\n" + m_bucket + "\n"),
              std::string::npos);
    // Listings: the arguments in their places, an empty continuation token sent as one.
    for (const char* key : {"d/a", "d/b", "d/c/d"})
        ASSERT_EQ(answer(SKRW_PostObject, texts({m_bucket, key, file("a")})), "0");
    ASSERT_EQ(answer(SKRW_GetBucket, texts({m_bucket, "d/", "/", "1"})), "0");
    EXPECT_EQ(answer(SKRW_GetBucketProperty, texts({"keys", "0"})), "d/a\n");
    const std::string token = answer(SKRW_GetBucketProperty, texts({"nextcontinuationtoken", "0"}));
    ASSERT_EQ(answer(SKRW_GetBucket, texts({m_bucket, "d/", "/", "1", token})), "0");
    EXPECT_EQ(answer(SKRW_GetBucketProperty, texts({"keys", "0"})), "d/b\n");
    ASSERT_EQ(answer(SKRW_GetBucket, texts({m_bucket})), "0");
    EXPECT_EQ(answer(SKRW_GetBucketProperty, texts({"keys", "0"})), "b\nd/a\nd/b\nd/c/d\nflag\n");
    // The index is the low 32 bits of the number, read as a signed value.
    for (const auto& [index, key] :
         {std::pair{4294967299.0L, "d/c/d"}, {-4294967295.0L, "d/a"}, {4294967295.0L, "!!ERROR!!"}})
        EXPECT_EQ(answer(SKRW_GetBucketProperty, Args().textUtf8("key").number(index)), key);
    answer(SKRW_GetBucket, texts({m_bucket, "", "", "", ""}));
    std::vector<std::string> listings;  // this bucket's listing requests
    for (const RecordedRequest& request : requestsFor(m_bucket))
        if (request.target.find("list-type=2") != std::string::npos)
            listings.push_back(request.target + "&");
    ASSERT_EQ(listings.size(), 4u);
    EXPECT_EQ(listings[2].find("continuation-token"), std::string::npos) << listings[2];
    EXPECT_NE(listings[3].find("continuation-token=&"), std::string::npos) << listings[3];
}

// Each sign-in sets the region of later operations: one given without a region (no parameters,
// empty ones, a bare or empty "region") signs for the default region, whatever came before.
TEST_F(StorageFunctions, EachSignInSetsTheRegionAndOneWithoutARegionTheDefault) {
    const auto signedRegion = [](const RecordedRequest& request) {
        const std::string auth = request.headers.at("authorization");  // .../<region>/s3/...
        const std::size_t end = auth.find("/s3/aws4_request"), start = auth.rfind('/', end - 1) + 1;
        return auth.substr(start, end - start);
    };
    // The parameters (none at all for nullptr), the region signed for.
    const std::pair<const char*, std::string> rows[] = {
        {"region=eu-west-1", "eu-west-1"},       {nullptr, "us-east-1"},
        {"region=sa-east-1", "sa-east-1"},       {"", "us-east-1"},
        {"region=ap-south-1", "ap-south-1"},     {"x=1;region", "us-east-1"},
        {"Region=ca-central-1", "ca-central-1"}, {"region=", "us-east-1"}};
    for (const auto& [parameters, region] : rows) {
        SCOPED_TRACE(parameters ? parameters : "no parameters");
        Args args = texts({"s3", kAccessKey, kSecretKey});
        if (parameters) args.textUtf8(parameters);
        ASSERT_EQ(answer(SKRW_UseCredentials, args), "0");
        ASSERT_EQ(answer(SKRW_GetBucket, texts({m_bucket})), "0");
        EXPECT_EQ(signedRegion(requestsFor(m_bucket).back()), region);
    }
}

}  // namespace
}  // namespace skrw::test
