#pragma once
// Runs a program to its end and collects what it wrote.
#include <string>
#include <vector>

namespace skrw::test {

struct ProcessOutcome {
    int status = -1;  // exit status; -1 when ended by a signal
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] is the program's path) with `input` on standard input.
ProcessOutcome runProcess(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace skrw::test
