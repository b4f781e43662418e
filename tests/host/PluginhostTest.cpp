// pluginhost driving the built bundle as a separate process, for what needs
// no storage service: the host strings and registrations it lists, a refused
// start-up, and the script steps that answer without the service.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRegistrations.h"
#include "HostTestSupport.h"

namespace skrw::hosttest {
namespace {

ProcessResult pluginhost(const std::vector<std::string>& options,
                         const std::vector<std::string>& calculations,
                         const std::map<std::string, std::string>& environment = {}) {
    std::vector<std::string> arguments = options;
    arguments.push_back(pluginBundle());
    arguments.insert(arguments.end(), calculations.begin(), calculations.end());
    return runProcess(pluginhostProgram(), arguments, environment);
}

TEST(Pluginhost, ListsTheHostStringsThenEveryRegistration) {
    const ProcessResult run = pluginhost({"--list"}, {});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto lines = parseJsonLines(run.out);
    ASSERT_EQ(lines.size(), 3u + 26u);
    EXPECT_EQ(number(lines[0], "id"), 128);
    EXPECT_EQ(text(lines[0], "text"), "Skerrow");
    EXPECT_EQ(number(lines[1], "id"), 129);
    EXPECT_FALSE(text(lines[1], "text").empty());
    EXPECT_EQ(number(lines[2], "id"), 131);
    EXPECT_EQ(text(lines[2], "text").rfind("SKRW", 0), 0u);
    for (std::size_t i = 0; i < kExpectedFunctions.size(); ++i) {
        const auto& function = lines[3 + 2 * i];
        const auto& step = lines[4 + 2 * i];
        const auto& expected = kExpectedFunctions[i];
        SCOPED_TRACE(std::string(expected.name));
        EXPECT_EQ(text(function, "kind"), "function");
        EXPECT_EQ(text(function, "name"), expected.name);
        EXPECT_EQ(number(function, "min"), expected.least);
        EXPECT_EQ(number(function, "max"), expected.most);
        EXPECT_EQ(number(function, "flags"), kFlags);
        EXPECT_EQ(text(step, "kind"), "step");
        EXPECT_EQ(text(step, "definition"), expected.definition);
        EXPECT_EQ(number(step, "flags"), kFlags);
    }
}

TEST(Pluginhost, ARefusedStartupEvaluatesNothing) {
    const ProcessResult run = pluginhost({"--interface-version", "256", "--json"}, {"SKRW_Debug"});
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_EQ(run.out, "");
}

TEST(Pluginhost, StepsThatNeedNoServiceAnswer) {
    const ProcessResult run = pluginhost(
        {"--step", "--json"},
        {R"(SKRW_Version)", R"(SKRW_Version("Short"))", R"(SKRW_Version("Please Select"))",
         R"(SKRW_GetLastError)", R"(SKRW_GetLastError("Number"))", R"(SKRW_Debug)",
         R"(SKRW_UseCredentials("ftp"; "key"; "secret"))", R"(SKRW_GetLastError("Text"))",
         R"(SKRW_GetBucketProperty("key"; 0))", R"(SKRW_GetLastError("Number"))"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto lines = parseJsonLines(run.out);
    ASSERT_EQ(lines.size(), 10u) << run.out;
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Skerrow 1.0.0.0", "8-bit"},
        {"1.0.0.0", "8-bit"},
        {"!!ERROR!!", "8-bit"},
        {"MESSAGE: Invalid parameter specified\nCODE: -4\nSOURCE: SKRW_Version", "utf-16"},
        {"-4", "utf-16"},
        {"0", "utf-16"},
        {"!!ERROR!!", "8-bit"},
        {"MESSAGE: Invalid module specified.\nCODE: -1000\nSOURCE: UseCredentials", "utf-16"},
        {"!!ERROR!!", "8-bit"},
        {"-4", "utf-16"},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(text(lines[i], "function"));
        EXPECT_EQ(text(lines[i], "result"), expected[i].first);
        EXPECT_EQ(text(lines[i], "encoding"), expected[i].second);
        EXPECT_EQ(number(lines[i], "hostError"), 0);
    }
}

TEST(Pluginhost, ANameNothingRegisteredIsReportedAndTheRestRuns) {
    const ProcessResult run = pluginhost({"--json"}, {"SKRW_LogSet(1)", "SKRW_Debug"});
    EXPECT_EQ(run.exitStatus, 1);
    const auto lines = parseJsonLines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].count("error"), 1u);
    EXPECT_EQ(text(lines[1], "result"), "0");
}

}  // namespace
}  // namespace skrw::hosttest
