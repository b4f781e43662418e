#include "HostTestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace skrw::hosttest {
namespace fs = std::filesystem;

std::string pluginBundle() {
    return SKRW_TEST_BUNDLE_DIR;
}
std::string pluginhostProgram() {
    return SKRW_TEST_PLUGINHOST;
}
std::string pluginLibrary() {
    return pluginBundle() + "/SKRW.so";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TestBundle::TestBundle(const std::string& stringsTable) : bundle_(dir_.path() + "/Test.bundle") {
    const fs::path strings = fs::path(bundle_) / "Resources" / "en.lproj";
    fs::create_directories(strings);
    fs::copy_file(pluginLibrary(), fs::path(bundle_) / "Test.so");
    std::ofstream(strings / "SKRWStrings.strings", std::ios::binary) << stringsTable;
}

ProcessResult runProcess(const std::string& program, std::vector<std::string> arguments) {
    skrw::test::TempDir files;
    const std::string outPath = files.path() + "/out", errPath = files.path() + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath), readFile(errPath)};
}

namespace {

class LineParser {
  public:
    explicit LineParser(const std::string& line) : s_(line) {}

    JsonObject object() {
        JsonObject result;
        expect('{');
        for (skipBlanks(); peek() != '}'; skipBlanks()) {
            if (!result.empty()) expect(',');
            skipBlanks();
            const std::string name = string();
            skipBlanks();
            expect(':');
            skipBlanks();
            if (peek() == '"') {
                result[name] = string();
            } else {
                result[name] = integer();
            }
        }
        return result;
    }

  private:
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    void fail() const { throw std::runtime_error("not a flat JSON object: " + s_); }
    void expect(char c) {
        if (peek() != c) fail();
        ++i_;
    }
    void skipBlanks() {
        while (peek() == ' ') ++i_;
    }
    long long integer() {
        const std::size_t start = i_;
        if (peek() == '-') ++i_;
        while (peek() >= '0' && peek() <= '9') ++i_;
        if (i_ == start) fail();
        return std::stoll(s_.substr(start, i_ - start));
    }
    // pluginhost escapes quote, backslash, line feed, return and tab by letter, other control
    // characters as \u00XX, and writes every other character as UTF-8.
    std::string string() {
        expect('"');
        std::string out;
        for (char c = peek(); c != '"'; c = peek()) {
            if (c == '\0') fail();
            ++i_;
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = peek();
            ++i_;
            if (e == 'u') {
                if (i_ + 4 > s_.size()) fail();
                const unsigned code = std::stoul(s_.substr(i_, 4), nullptr, 16);
                if (code >= 0x80) fail();
                out += static_cast<char>(code);
                i_ += 4;
            } else {
                const std::string_view letters = "nrt", controls = "\n\r\t";
                const auto at = letters.find(e);
                out += at == std::string_view::npos ? e : controls[at];
            }
        }
        ++i_;
        return out;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

}  // namespace

JsonObject parseJsonLine(const std::string& line) {
    return LineParser(line).object();
}

std::vector<JsonObject> parseJsonLines(const std::string& text) {
    std::vector<JsonObject> result;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty()) result.push_back(parseJsonLine(line));
    }
    return result;
}

std::string text(const JsonObject& object, const std::string& field) {
    const auto found = object.find(field);
    if (found == object.end()) return "<missing " + field + ">";
    if (const auto* value = std::get_if<std::string>(&found->second)) return *value;
    return "<number>";
}

long long number(const JsonObject& object, const std::string& field) {
    const auto found = object.find(field);
    if (found == object.end()) throw std::runtime_error("no field " + field);
    return std::get<long long>(found->second);
}

}  // namespace skrw::hosttest
