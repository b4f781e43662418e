#pragma once
#include <string>
#include <vector>

namespace skrw::test {

struct ProcessOutcome {
    int status = -1;  // exit status; -1 when ended by a signal
    std::string out;
    std::string err;
};

// Runs `argv` to its end with `input` on standard input. argv[0] is the program's path, or a
// bare name looked for along PATH; a program that cannot be started ends with status 127.
ProcessOutcome runProcess(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace skrw::test
