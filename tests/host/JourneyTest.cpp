// The whole user journey through pluginhost against the local S3 server: as
// calculations (--json) and as script steps (--step --json), every answer
// checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HostTestSupport.h"

namespace skrw::hosttest {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string call(const std::string& name, const std::vector<std::string>& arguments = {}) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < arguments.size(); ++i) text += (i ? "; " : "") + arguments[i];
    return text + ")";
}

// In place of an exact answer: the answer lists the test's bucket.
constexpr const char* kListsTheBucket = "<a list holding the bucket>";

struct Expected {
    std::string calculation;
    std::string result;
    std::string encoding = "8-bit";
};

class JourneyTest : public testing::Test {
  protected:
    JourneyTest() {
        fs::create_directories(temp_.path() + "/home");
        fs::create_directories(temp_.path() + "/upload");
        std::ofstream(upload_, std::ios::binary) << kContent;
    }

    // Runs the calculations in one pluginhost session and checks each answer.
    void runAndCheck(const std::vector<std::string>& options, const std::vector<Expected>& steps) {
        std::vector<std::string> arguments = {"-u",
                                              "AWS_ENDPOINT_URL",
                                              "AWS_ENDPOINT_URL_S3=" + skrw::test::serverEndpoint(),
                                              "SKRW_AWS_RETRY_BASE_DELAY_MS=1",
                                              "HOME=" + temp_.path() + "/home",
                                              pluginhostProgram()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back(pluginBundle());
        for (const Expected& step : steps) arguments.push_back(step.calculation);
        const ProcessResult run = runProcess("/usr/bin/env", arguments);
        ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
        const auto lines = parseJsonLines(run.out);
        ASSERT_EQ(lines.size(), steps.size()) << run.out;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE(steps[i].calculation);
            const std::string result = text(lines[i], "result");
            if (steps[i].result == kListsTheBucket) {
                EXPECT_NE(("\n" + result).find("\n" + bucket_ + "\n"), std::string::npos) << result;
            } else {
                EXPECT_EQ(result, steps[i].result);
            }
            EXPECT_EQ(text(lines[i], "encoding"), steps[i].encoding);
            EXPECT_EQ(number(lines[i], "hostError"), 0);
        }
    }

    static constexpr const char* kContent = "Hello, S3!\n";
    skrw::test::TempDir temp_;
    const std::string upload_ = temp_.path() + "/upload/hello.txt";
    const std::string download_ = temp_.volumesPath() + "/downloads/hello.txt";
    const std::string bucket_ = skrw::test::uniqueName("journey");
};

TEST_F(JourneyTest, EveryFunctionAsACalculation) {
    const std::string b = quoted(bucket_);
    const std::string key = quoted("docs/hello.txt"), copy = quoted("docs/copy of hello.txt");
    runAndCheck({"--json"},
                {
                    {call("SKRW_Version"), "Skerrow 1.0.0.0"},
                    {call("SKRW_Version", {"\"S\""}), "1.0.0.0"},
                    {call("SKRW_ListAllBuckets"), "!!ERROR!!"},
                    {call("SKRW_GetLastError", {"\"Number\""}), "-1000", "utf-16"},
                    {call("SKRW_UseCredentials", {"\"s3\"", "\"S3RVER\"", "\"S3RVER\""}), "0"},
                    {call("SKRW_CreateBucket", {b}), "0"},
                    {call("SKRW_PostObject", {b, key, quoted(upload_)}), "0"},
                    {call("SKRW_ListAllBuckets"), kListsTheBucket},
                    {call("SKRW_GetBucket", {b}), "0"},
                    {call("SKRW_GetBucketProperty", {"\"count\"", "0"}), "1"},
                    {call("SKRW_GetBucketProperty", {"\"key\"", "0"}), "docs/hello.txt"},
                    {call("SKRW_GetBucketProperty", {"\"size\"", "0"}), "11"},
                    {call("SKRW_GetBucketProperty", {"\"istruncated\"", "0"}), "false"},
                    {call("SKRW_GetObject", {b, key, quoted(download_)}), "0"},
                    {call("SKRW_CopyObject", {b, key, b, copy}), "0"},
                    {call("SKRW_GetBucket", {b, "\"docs/\""}), "0"},
                    {call("SKRW_GetBucketProperty", {"\"keys\"", "0"}),
                     "docs/copy of hello.txt\ndocs/hello.txt\n"},
                    {call("SKRW_DeleteObject", {b, key}), "0"},
                    {call("SKRW_DeleteObject", {b, copy}), "0"},
                    {call("SKRW_DeleteBucket", {b}), "0"},
                    {call("SKRW_DeleteBucket", {b}), "!!ERROR!!"},
                    {call("SKRW_GetLastError", {"\"Number\""}), "-400", "utf-16"},
                    {call("SKRW_Debug"), "0", "utf-16"},
                });
    EXPECT_EQ(readFile(download_), kContent);
    EXPECT_TRUE(fs::exists(upload_));
}

TEST_F(JourneyTest, EveryScriptStep) {
    const std::string b = quoted(bucket_);
    const std::string key = quoted("moved.txt");
    runAndCheck(
        {"--step", "--json"},
        {
            {call("SKRW_Version", {"\"Long\""}), "Skerrow 1.0.0.0"},
            {call("SKRW_UseCredentials", {"\"aws\"", "\"S3RVER\"", "\"S3RVER\"", "\"\""}), "0"},
            // The step declares a second parameter the function does not take: handed
            // both, it is a wrong argument count and creates nothing.
            {call("SKRW_CreateBucket", {b, "\"us-east-1\""}), "!!ERROR!!"},
            {call("SKRW_GetBucket", {b}), "!!ERROR!!"},
            {call("SKRW_CreateBucket", {b}), "0"},
            {call("SKRW_ListAllBuckets"), kListsTheBucket},
            {call("SKRW_PostObject", {b, key, quoted(upload_), "\"Yes\""}), "0"},
            {call("SKRW_GetBucket", {b, "\"\"", "\"\"", "\"10\""}), "0"},
            {call("SKRW_GetBucketProperty", {"\"Key\"", "0"}), "moved.txt"},
            {call("SKRW_GetObject", {b, key, quoted(download_)}), "0"},
            {call("SKRW_CopyObject", {b, key, b, quoted("copied.txt")}), "0"},
            {call("SKRW_DeleteObject", {b, key}), "0"},
            {call("SKRW_DeleteObject", {b, quoted("copied.txt")}), "0"},
            {call("SKRW_DeleteBucket", {b}), "0"},
            {call("SKRW_GetLastError"), "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization",
             "utf-16"},
            {call("SKRW_Debug"), "0", "utf-16"},
        });
    EXPECT_EQ(readFile(download_), kContent);
    // Posted with "Delete After Post" set: the local file is gone.
    EXPECT_FALSE(fs::exists(upload_));
}

}  // namespace
}  // namespace skrw::hosttest
