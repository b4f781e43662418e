#pragma once
// Helpers for the host interface tests: where the built plug-in and runner
// are, a throw-away bundle with a strings table of the test's own, running
// pluginhost as a process, and reading its JSON lines.
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "TestServer.h"

namespace skrw::hosttest {

// build/SKRW.bundle and build/pluginhost.
std::string pluginBundle();
std::string pluginhostProgram();
// The plug-in library inside the built bundle.
std::string pluginLibrary();

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

// A bundle folder <temp>/Test.bundle holding its own copy of the plug-in's
// library and the given SKRWStrings.strings text; removed with the object.
class TestBundle {
  public:
    explicit TestBundle(const std::string& stringsTable);
    const std::string& path() const { return bundle_; }

  private:
    skrw::test::TempDir dir_;
    std::string bundle_;
};

struct ProcessResult {
    int exitStatus = -1;  // -1 when the process did not end normally
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` in this process's environment, with nothing
// on standard input.
ProcessResult runProcess(const std::string& program, std::vector<std::string> arguments);

// One flat JSON object of pluginhost's output: strings and integers.
using JsonValue = std::variant<std::string, long long>;
using JsonObject = std::map<std::string, JsonValue>;

// Parses one line; throws std::runtime_error on anything else.
JsonObject parseJsonLine(const std::string& line);
// Every non-empty line of `text`, parsed.
std::vector<JsonObject> parseJsonLines(const std::string& text);

std::string text(const JsonObject& object, const std::string& field);
long long number(const JsonObject& object, const std::string& field);

}  // namespace skrw::hosttest
