#pragma once
// The system console: one line per call on standard error.
#include <string_view>

namespace platform {

void consoleLine(std::string_view text);

}  // namespace platform
