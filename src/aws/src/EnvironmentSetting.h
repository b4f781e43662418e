#pragma once

#include <chrono>
#include <optional>

namespace skrw::aws {

// The duration in milliseconds that the environment variable `name` holds,
// when it is a decimal integer of at least `minimum`; nullopt when it is unset,
// empty or anything else. Such settings let tests shorten the layer's waits.
std::optional<std::chrono::milliseconds> millisecondsFromEnvironment(const char* name,
                                                                     long minimum);

}  // namespace skrw::aws
