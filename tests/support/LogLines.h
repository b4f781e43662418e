#pragma once
// The log file as tests read it.
#include <string>
#include <vector>

namespace skrw::test {

// The lines of the log file at `path` without their dates: each line's indentation tabs and text
// (none when the file cannot be read).
std::vector<std::string> loggedLines(const std::string& path);

}  // namespace skrw::test
