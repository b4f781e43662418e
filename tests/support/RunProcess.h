#pragma once
#include <string>
#include <vector>

namespace skrw::test {

struct ProcessOutcome {
    int status = -1;  // exit status; -1 when ended by a signal
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] is the program's path) to its end with `input` on standard input.
ProcessOutcome runProcess(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace skrw::test
