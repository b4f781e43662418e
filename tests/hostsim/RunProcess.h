#pragma once
// Runs a program for the end-to-end tests and collects what it wrote.
#include <string>
#include <vector>

namespace hostsim_test {

struct ProcessOutcome {
    bool exited = false;  // false: ended by a signal
    int status = -1;      // exit status, or the signal number
    std::string out;
    std::string err;
};

// Runs `argv` (argv[0] is the program path) with `input` on standard input.
ProcessOutcome runProcess(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace hostsim_test
