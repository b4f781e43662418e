#pragma once

#include <string>

namespace Aws {

// Texts are plain UTF-8 byte strings.
using String = std::string;

}  // namespace Aws
