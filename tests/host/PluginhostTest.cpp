// pluginhost driving the built bundle as a separate process: the host strings
// and registrations it lists, and a refused start-up. The script steps are
// driven in the journey test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRegistrations.h"
#include "HostTestSupport.h"

namespace skrw::hosttest {
namespace {

ProcessResult pluginhost(const std::vector<std::string>& options,
                         const std::vector<std::string>& calculations) {
    std::vector<std::string> arguments = options;
    arguments.push_back(pluginBundle());
    arguments.insert(arguments.end(), calculations.begin(), calculations.end());
    return runProcess(pluginhostProgram(), arguments);
}

TEST(Pluginhost, ListsTheHostStringsThenAFunctionAndAStepForEachEntry) {
    const ProcessResult run = pluginhost({"--list"}, {});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto lines = parseJsonLines(run.out);
    ASSERT_EQ(lines.size(), 3u + 2 * kExpectedFunctions.size());
    EXPECT_EQ(number(lines[0], "id"), 128);
    EXPECT_EQ(text(lines[0], "text"), "Skerrow");
    EXPECT_EQ(number(lines[1], "id"), 129);
    EXPECT_FALSE(text(lines[1], "text").empty());
    EXPECT_EQ(number(lines[2], "id"), 131);
    EXPECT_EQ(text(lines[2], "text").rfind("SKRW", 0), 0u);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        EXPECT_EQ(text(lines[i], "kind"), i % 2 ? "function" : "step") << i;
    }
}

TEST(Pluginhost, ARefusedStartupEvaluatesNothing) {
    const ProcessResult run = pluginhost({"--interface-version", "256", "--json"}, {"SKRW_Debug"});
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace skrw::hosttest
