#pragma once
// The system console: one line per call on standard error.
#include <string_view>

namespace skrw::platform {

void consoleLine(std::string_view text);

}  // namespace skrw::platform
