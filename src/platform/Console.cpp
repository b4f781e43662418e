#include "platform/Console.h"

#include <cstdio>
#include <string>

namespace skrw::platform {

void consoleLine(std::string_view text) {
    // One write per line, so lines from different threads never interleave.
    std::string line(text);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace skrw::platform
