#include "LogLines.h"

#include <sstream>

#include "TestEnv.h"

namespace skrw::test {
namespace {

// A log line's date and time, "yy-mm-dd hh:mm:ss", come before its tabs.
constexpr std::size_t kDateLength = 17;

}  // namespace

std::vector<std::string> loggedLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(kDateLength));
    return lines;
}

}  // namespace skrw::test
