#pragma once
#include <functional>
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

// Runs `work` in a forked child that has become the user and group `id` (no other groups) and
// answers the text it returned, or "child failed: ..." when the child could not become that user
// or did not end by itself. Needs root. The child leaves with _exit, so nothing of the parent's
// (temporary folders, the test framework's state) is torn down twice.
std::string runAsUser(unsigned id, const std::function<std::string()>& work);

}  // namespace skrw::test
