// pluginhost end to end, with the echo test plug-in.
#include <gtest/gtest.h>

#include "RunProcess.h"

TEST(PluginHost, EvaluatesCalculationsAndReportsWhatCouldNotBeMade) {
    const std::string calc = R"(("say \"hi\""; "back\\slash"; "tab\tnew"; "¶ \u00e9"; ""; "x;y"))";
    const std::string echoed = "say \"hi\"|back\\slash|tab\tnew|\xC2\xB6 \xC3\xA9||x;y\n";
    struct Row {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out, err;  // `out` whole, or a part after "..."; `err` a part
    };
    const Row rows[] = {
        {{ECHO_BUNDLE, "Echo_Utf16" + calc, "Echo_Bytes" + calc}, "", 0, echoed + echoed, ""},
        {{ECHO_BUNDLE, R"(Echo_Utf16(""; ""))", "Echo_Utf16()", "Echo_Utf16", "Echo_Number(-3.99)",
          "Echo_Number(4294967297)", R"(Echo_Number("  42.9x"))", R"(Echo_Number("-3.9.5"))",
          R"(Echo_Number("abc"))", "Echo_Number(1e30)", "Echo_Number(-1e30)",
          R"(Echo_Number("99999999999999999999"))"},
         "", 0,
         "|\n\n\n-3\n4294967297\n42\n-3\n0\n9223372036854775807\n-9223372036854775808\n"
         "9223372036854775807\n", ""},
        {{ECHO_BUNDLE, "Echo_Utf16(3.5; -12; 0.1; -0; 1e20; -0.000125; 1e-30; 1.2345e29)"}, "", 0,
         "3.5|-12|0.1|0|100000000000000000000|-0.000125|0." + std::string(29, '0') +
             "1|123450000000000000000000000000\n", ""},
        {{"--json", ECHO_BUNDLE, R"(Echo_Utf16("¶\"\\a\ud800b\u007f\u001f"))", R"(Echo_Bytes("\u0001x"))",
          "Echo_Fail", R"(Echo_PastEnd("a"))", "No_Such_Function()", "Echo_Utf16(\"open"},
         "", 1,
         R"(...{"function": "Echo_Utf16", "result": "¶\"\\a\ud800b\u007f\u001f", "encoding": "utf-16", "hostError": 0})" "\n"
         R"({"function": "Echo_Bytes", "result": "\u0001x", "encoding": "8-bit", "hostError": 0})" "\n"
         R"({"function": "Echo_Fail", "result": "failed", "encoding": "8-bit", "hostError": 7})" "\n"
         R"({"function": "Echo_PastEnd", "result": "", "encoding": "8-bit", "hostError": 2})" "\n"
         R"({"function": "No_Such_Function", "error": "no function is registered)", ""},
        {{"--list", ECHO_BUNDLE}, "", 0,
         R"(...{"kind": "string", "id": 128, "text": "Echo Test"})" "\n"
         R"({"kind": "string", "id": 129, "text": "Echoes ¶"})" "\n"
         R"({"kind": "string", "id": 131, "text": "Echoes ¶"})" "\n"
         R"J({"kind": "function", "id": 1, "name": "Echo_Utf16", "prototype": "Echo_Utf16(args)", )J"
         R"("description": "Echoes for Echo_Utf16", "min": 0, "max": 20, "flags": 65281})" "\n"
         R"({"kind": "function", "id": 2, "name": "Echo_Bytes")", ""},
        {{"--list", "--interface-version", "57", ECHO_BUNDLE}, "", 0,
         R"(...{"kind": "step", "id": 1, "name": "Echo_Utf16", "description": "Echoes for Echo_Utf16", )"
         R"("flags": 65281, "definition": "<pluginstep/>"})" "\n", ""},
        {{"--list", "--interface-version", "55", ECHO_BUNDLE, "Echo_Version"}, "", 0,
         R"J(...{"kind": "function", "id": 7, "name": "Echo_PastEnd", "prototype": "Echo_PastEnd(args)", )J"
         R"J("min": 0, "max": 20, "flags": 65281})J" "\n55\n", ""},
        {{"--step", ECHO_BUNDLE, R"(Echo_Utf16("a"; 2))", "Echo_Number(1)"}, "", 1, "step:a|2\n",
         "Echo_Number: no script step is registered"},
        {{"--interface-version", "56", ECHO_BUNDLE, "Echo_Version"}, "", 0, "56\n", ""},
        {{ECHO_BUNDLE, "Echo_Version()"}, "", 0, "57\n", ""},
        {{"--interface-version", "49", ECHO_BUNDLE, "Echo_Version"}, "", 3, "", "refused start-up"},
        {{"--interface-version", "-1", ECHO_BUNDLE, "Echo_Version"}, "", 3, "", "refused start-up"},
        {{ECHO_BUNDLE}, "Echo_Utf16(1;2)\r\n\n   \nEcho_Bytes(\"x\")\nbad(\n", 1, "1|2\nx\n",
         "bad: syntax error at position 5"},
        {{ECHO_BUNDLE, R"(Echo_Utf16("open)", "Echo_Utf16(1)"}, "", 1, "1\n", "unterminated text"},
        {{ECHO_BUNDLE, "Unknown_Fn(1)", "Echo_Utf16(1)"}, "", 1, "1\n", "Unknown_Fn: no function is registered"},
        {{ECHO_BUNDLE, "Echo_Throw()", "Echo_Utf16(1)"}, "", 1, "1\n", "Echo_Throw: the plug-in let an exception out"},
        {{ECHO_BUNDLE, "Echo_Fail"}, "", 0, "failed\n", "host error 7"},
        {{"/nonexistent/Nothing.bundle", "Echo_Fail"}, "", 1, "", "cannot load bundle /nonexistent/Nothing.bundle"},
        {{NOENTRY_BUNDLE, "Echo_Fail"}, "", 1, "", "no entry point FMExternCallProc"},
        {{}, "", 1, "", ""},
        {{"--interface-version", "x", ECHO_BUNDLE}, "", 1, "", ""},
        {{"--interface-version", "40000", ECHO_BUNDLE}, "", 1, "", ""},
        {{"--bogus", ECHO_BUNDLE}, "", 1, "", ""}};
    for (const Row& row : rows) {
        std::vector<std::string> argv{PLUGINHOST_PATH};
        argv.insert(argv.end(), row.args.begin(), row.args.end());
        SCOPED_TRACE(row.args.empty() ? "" : row.args.back());
        const auto run = skrw::test::runProcess(argv, row.input);
        EXPECT_EQ(run.status, row.status) << run.err;
        if (row.out.starts_with("...")) {
            EXPECT_NE(run.out.find(row.out.substr(3)), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(run.out, row.out);
        }
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
        EXPECT_TRUE(!row.err.empty() || row.status != 0 || run.err.empty()) << run.err;
    }
}
