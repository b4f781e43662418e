// pluginhost end to end, with the echo test plug-in.
#include <gtest/gtest.h>

#include "RunProcess.h"

TEST(PluginHost, EvaluatesCalculationsAndReportsWhatCouldNotBeMade) {
    const std::string echo = ECHO_BUNDLE;
    const std::string badVersion =
        "pluginhost: --interface-version needs a whole number from -32768 to 32767\nusage: ";
    // Arguments, exit status, standard output (whole, or a part after "..."), a part of the
    // standard error ("" for none at all), standard input.
    const std::tuple<std::vector<std::string>, int, std::string, std::string, std::string> rows[] = {
        {{echo, R"(Echo_Utf16("say \"hi\""; "back\\slash"; "tab\tnew"; "¶ \u00e9"; ""; "x;y"))"},
         0,
         "say \"hi\"|back\\slash|tab\tnew|\xC2\xB6 \xC3\xA9||x;y\n",
         "",
         ""},
        {{echo, R"(Echo_Utf16(""; ""))", "Echo_Utf16()", "Echo_Utf16", "Echo_Number(-3.99)",
          "Echo_Number(4294967297)", R"(Echo_Number("  42.9x"))", R"(Echo_Number("-3.9.5"))",
          R"(Echo_Number("abc"))", "Echo_Number(1e30)", "Echo_Number(-1e30)",
          R"(Echo_Number("99999999999999999999"))", "Echo_Utf16(3.5; -12; -0; 1e20; -0.000125)"},
         0,
         "|\n\n\n-3\n4294967297\n42\n-3\n0\n9223372036854775807\n-9223372036854775808\n"
         "9223372036854775807\n3.5|-12|0|100000000000000000000|-0.000125\n",
         "",
         ""},
        {{"--json", echo, R"(Echo_Utf16("¶\"\\a\ud800b\u007f\u001f"))", "Echo_Fail",
          "No_Such_Function()"},
         1,
         R"({"function": "Echo_Utf16", "result": "¶\"\\a\ud800b\u007f\u001f", "encoding": "utf-16", "hostError": 0})"
         "\n"
         R"({"function": "Echo_Fail", "result": "failed", "encoding": "8-bit", "hostError": 7})"
         "\n"
         R"({"function": "No_Such_Function", "error": "no function is registered under this name"})"
         "\n",
         "",
         ""},
        {{"--list", echo},
         0,
         R"(...{"kind": "string", "id": 131, "text": "Echoes ¶"})"
         "\n"
         R"J({"kind": "function", "id": 1, "name": "Echo_Utf16", "prototype": "Echo_Utf16(args)", )J"
         R"("description": "Echoes for Echo_Utf16", "min": 0, "max": 20, "flags": 65281})"
         "\n"
         R"({"kind": "step", "id": 1, "name": "Echo_Utf16", "description": "Echoes for Echo_Utf16", )"
         R"("flags": 65281, "definition": "<pluginstep/>"})"
         "\n",
         "",
         ""},
        {{"--list", "--interface-version", "55", echo, "Echo_Version"},
         0,
         R"J(...{"kind": "function", "id": 5, "name": "Echo_Throw", "prototype": "Echo_Throw(args)", )J"
         R"("min": 0, "max": 20, "flags": 65281})"
         "\n55\n",
         "",
         ""},
        {{"--step", echo, R"(Echo_Utf16("a"; 2))", "Echo_Number(1)"},
         1,
         "a|2\n",
         "Echo_Number: no script step is registered",
         ""},
        {{"--interface-version", "-1", echo, "Echo_Version"}, 3, "", "refused start-up", ""},
        {{echo},
         1,
         "1|2\n57\nfailed\n",
         "Echo_Utf16: syntax error at position 12: unterminated text (no closing double quote)\n"
         "pluginhost: Unknown_Fn: no function is registered under this name\n"
         "pluginhost: Echo_Throw: the plug-in let an exception out: echo plug-in fault\n"
         "pluginhost: Echo_Fail: answered host error 7\n",
         "Echo_Utf16(1;2)\r\n\n   "
         "\nEcho_Utf16(\"open\nUnknown_Fn(1)\nEcho_Throw()\nEcho_Version\nEcho_Fail\n"},
        {{"/nonexistent/Nothing.bundle"},
         1,
         "",
         "cannot load bundle /nonexistent/Nothing.bundle",
         ""},
        {{NOENTRY_BUNDLE}, 1, "", "no entry point FMExternCallProc", ""},
        {{}, 1, "", "pluginhost: no bundle given\nusage: pluginhost [", ""},
        {{"--interface-version", "x", echo}, 1, "", badVersion, ""},
        {{"--interface-version", "40000", echo}, 1, "", badVersion, ""},
        {{"--bogus", echo}, 1, "", "pluginhost: unknown option --bogus\nusage: pluginhost [", ""}};
    for (const auto& [args, status, out, err, input] : rows) {
        std::vector<std::string> argv{PLUGINHOST_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        std::string shown;  // the arguments
        for (const std::string& a : args) shown += a + " ";
        SCOPED_TRACE(shown);
        const auto run = skrw::test::runProcess(argv, input);
        const bool errAsExpected =
            err.empty() ? run.err.empty() : run.err.find(err) != std::string::npos;
        EXPECT_EQ(std::tuple(run.status, errAsExpected), std::tuple(status, true)) << run.err;
        EXPECT_TRUE(out.starts_with("...") ? run.out.find(out.substr(3)) != std::string::npos
                                           : run.out == out)
            << run.out;
    }
}
