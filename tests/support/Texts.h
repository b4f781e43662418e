#pragma once
// Platform strings written in tests as UTF-8.
#include <string_view>

#include "platform/String.h"

namespace skrw::test {

// The platform string of the UTF-8 text `utf8`.
inline platform::String u8(std::string_view utf8) {
    return platform::String::fromUtf8(utf8);
}

}  // namespace skrw::test
