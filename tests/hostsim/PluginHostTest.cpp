// pluginhost end to end, with the echo test plug-in.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "RunProcess.h"

namespace {

using hostsim_test::ProcessOutcome;
using hostsim_test::runProcess;

ProcessOutcome host(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), PLUGINHOST_PATH);
    return runProcess(args, input);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Every line parses as JSON (python3's json.loads) and, with `python`,
// the expression over `d` (the parsed line) holds; answers the failures.
std::string checkJsonLines(const std::string& output, const std::string& python = "True") {
    const std::string script =
        "import json,sys\n"
        "for n, line in enumerate(sys.stdin.read().split('\\n')[:-1]):\n"
        "    d = json.loads(line)\n"
        "    if not (" +
        python + "): print('line', n, 'fails:', line)\n";
    const auto check = runProcess({"/usr/bin/python3", "-c", script}, output);
    return check.out + check.err + (check.status == 0 ? "" : "python3 failed");
}

void expectExit(const ProcessOutcome& run, int status) {
    EXPECT_TRUE(run.exited) << "ended by signal " << run.status << "\n" << run.err;
    EXPECT_EQ(run.status, status) << "stdout:\n" << run.out << "stderr:\n" << run.err;
}

TEST(PluginHostArguments, TextsArriveUnchangedThroughBothResultPaths) {
    const std::string calc =
        R"(("say \"hi\""; "back\\slash"; "tab\tnew\nline"; "¶ \u00e9"; ""; "x;y"))";
    const auto run = host({ECHO_BUNDLE, "Echo_Utf16" + calc, "Echo_Bytes" + calc});
    expectExit(run, 0);
    const std::string expected = "say \"hi\"|back\\slash|tab\tnew\nline|\xC2\xB6 \xC3\xA9||x;y\n";
    EXPECT_EQ(run.out, expected + expected);
    EXPECT_EQ(run.err, "");
}

TEST(PluginHostArguments, EmptyTextIsAnArgumentAndNumbersArriveAsNumbers) {
    const auto run = host({ECHO_BUNDLE, R"(Echo_Count(""))", "Echo_Count()", "Echo_Count",
                           R"(Echo_Count(1; "a"; ""))", "Echo_Number(-12)", "Echo_Number(3.5)",
                           "Echo_Number(4294967297)", "Echo_Number(-3.99)",
                           R"(Echo_Utf16(-12; 3.5; 4294967297))", R"(Echo_Number("  42abc"))"});
    expectExit(run, 0);
    EXPECT_EQ(run.out, "1\n0\n0\n3\n-12\n3\n4294967297\n-3\n-12|3.5|4294967297\n42\n");
}

TEST(PluginHostJson, EachLineIsJsonWithTheEncodingPathAndHostError) {
    const auto run =
        host({"--json", ECHO_BUNDLE, R"(Echo_Utf16("¶\"\\"))", R"(Echo_Bytes("\u0001x"))",
              "Echo_Fail", "No_Such_Function()", "Echo_Utf16(\"open"});
    expectExit(run, 1);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 5u) << run.out;
    EXPECT_EQ(
        out[0],
        R"({"function": "Echo_Utf16", "result": "¶\"\\", "encoding": "utf-16", "hostError": 0})");
    EXPECT_EQ(
        out[1],
        R"({"function": "Echo_Bytes", "result": "\u0001x", "encoding": "8-bit", "hostError": 0})");
    EXPECT_EQ(
        out[2],
        R"({"function": "Echo_Fail", "result": "failed", "encoding": "8-bit", "hostError": 7})");
    EXPECT_EQ(checkJsonLines(run.out,
                             "('error' in d) == (n >= 3) and d['function'] in "
                             "('Echo_Utf16','Echo_Bytes','Echo_Fail','No_Such_Function')"),
              "");
    EXPECT_NE(out[3].find("no function is registered"), std::string::npos);
    EXPECT_NE(out[4].find("syntax error at position 12"), std::string::npos) << out[4];
}

TEST(PluginHostJson, OddTextsSurviveAsEscapesAndABadIndexIsAHostErrorNotACrash) {
    const auto run = host(
        {"--json", ECHO_BUNDLE, R"(Echo_Utf16("a\ud800b\u007f\u001f"))", R"(Echo_PastEnd("a"))"});
    expectExit(run, 0);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;
    EXPECT_EQ(out[0], R"({"function": "Echo_Utf16", "result": "a\ud800b\u007f\u001f", )"
                      R"("encoding": "utf-16", "hostError": 0})");
    EXPECT_NE(out[1].find("\"hostError\": 2"), std::string::npos) << run.out;
    EXPECT_EQ(checkJsonLines(run.out, "n == 1 or d['result'] == 'a\\ud800b\\x7f\\x1f'"), "");
}

TEST(PluginHostList, HostStringsThenRegistrationsInOrder) {
    const auto run = host({"--list", ECHO_BUNDLE}, "");
    expectExit(run, 0);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 3u + 8u + 1u) << run.out;
    EXPECT_EQ(out[0], R"({"kind": "string", "id": 128, "text": "Echo Test"})");
    EXPECT_EQ(out[1], R"({"kind": "string", "id": 129, "text": "Echoes its arguments ¶"})");
    EXPECT_EQ(out[2], R"({"kind": "string", "id": 131, "text": "ECHO1nnYnn"})");
    EXPECT_EQ(
        out[3],
        R"J({"kind": "function", "id": 1, "name": "Echo_Utf16", "prototype": "Echo_Utf16(args)", )J"
        R"("description": "Echoes for Echo_Utf16", "min": 0, "max": 20, "flags": 65281})");
    EXPECT_EQ(
        out[4],
        R"({"kind": "step", "id": 1, "name": "Echo_Utf16", )"
        R"("description": "Echoes for Echo_Utf16", "flags": 65281, "definition": "<pluginstep/>"})");
    EXPECT_EQ(checkJsonLines(run.out, "d['kind'] in ('string','function','step')"), "");
}

TEST(PluginHostList, OldInterfaceVersionRegistrationsCarryNoDescription) {
    const auto run = host({"--list", "--interface-version", "55", ECHO_BUNDLE, "Echo_Version"});
    expectExit(run, 0);
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 3u + 8u + 1u) << run.out;
    EXPECT_EQ(out[3], R"({"kind": "function", "id": 1, "name": "Echo_Utf16", )"
                      R"J("prototype": "Echo_Utf16(args)", "min": 0, "max": 20, "flags": 65281})J");
    EXPECT_EQ(out.back(), "55");
}

TEST(PluginHostStep, CallsTheStepsOwnCallback) {
    const auto run = host({"--step", ECHO_BUNDLE, R"(Echo_Utf16("a"; 2))", "Echo_Count"});
    expectExit(run, 1);
    EXPECT_EQ(run.out, "step:a|2\n");
    EXPECT_NE(run.err.find("Echo_Count: no script step is registered"), std::string::npos)
        << run.err;
}

TEST(PluginHostStartup, VersionReachesTheFunctionsAndARefusalExitsThree) {
    expectExit(host({"--interface-version", "56", ECHO_BUNDLE, "Echo_Version"}), 0);
    EXPECT_EQ(host({ECHO_BUNDLE, "Echo_Version()"}).out, "57\n");
    const auto refused = host({"--interface-version", "49", ECHO_BUNDLE, "Echo_Version"});
    expectExit(refused, 3);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("refused start-up"), std::string::npos);
    expectExit(host({"--interface-version", "-1", ECHO_BUNDLE, "Echo_Version"}), 3);
}

TEST(PluginHostInput, ReadsOneCalculationPerLineFromStandardInput) {
    const auto run = host({ECHO_BUNDLE}, "Echo_Count(1;2)\r\n\n   \nEcho_Bytes(\"x\")\nbad(\n");
    expectExit(run, 1);
    EXPECT_EQ(run.out, "2\nx\n");
    EXPECT_NE(run.err.find("bad: syntax error at position 5"), std::string::npos) << run.err;
}

TEST(PluginHostFailures, ACallThatCannotBeMadeDoesNotStopTheOthers) {
    const auto run = host({ECHO_BUNDLE, R"(Echo_Utf16("unterminated)", "Unknown_Fn(1)",
                           "Echo_Throw()", "Echo_Count(1)"});
    expectExit(run, 1);
    EXPECT_EQ(run.out, "1\n");
    EXPECT_NE(run.err.find("unterminated text"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Unknown_Fn: no function is registered"), std::string::npos);
    EXPECT_NE(run.err.find("Echo_Throw: the plug-in let an exception out"), std::string::npos);
}

TEST(PluginHostFailures, NonZeroHostErrorIsStillACalculationMade) {
    const auto run = host({ECHO_BUNDLE, "Echo_Fail"});
    expectExit(run, 0);
    EXPECT_EQ(run.out, "failed\n");
    EXPECT_NE(run.err.find("host error 7"), std::string::npos);
}

TEST(PluginHostFailures, BadBundlesAndCommandLinesGiveMessagesAndStatusOne) {
    const auto missing = host({"/nonexistent/Nothing.bundle", "Echo_Count"});
    expectExit(missing, 1);
    EXPECT_NE(missing.err.find("cannot load bundle /nonexistent/Nothing.bundle"),
              std::string::npos);
    const auto noEntry = host({NOENTRY_BUNDLE, "Echo_Count"});
    expectExit(noEntry, 1);
    EXPECT_NE(noEntry.err.find("no entry point FMExternCallProc"), std::string::npos)
        << noEntry.err;
    expectExit(host({}), 1);
    expectExit(host({"--interface-version", "x", ECHO_BUNDLE}), 1);
    expectExit(host({"--interface-version", "40000", ECHO_BUNDLE}), 1);
    expectExit(host({"--bogus", ECHO_BUNDLE}), 1);
}

}  // namespace
