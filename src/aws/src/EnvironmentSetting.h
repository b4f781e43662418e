#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace skrw::aws {

// The duration in milliseconds that the environment variable `name` holds,
// when it is a decimal integer of at least `minimum`; nullopt when it is unset,
// empty or anything else. Such settings let tests shorten the layer's waits.
std::optional<std::chrono::milliseconds> millisecondsFromEnvironment(const char* name,
                                                                     long minimum);

// The text that the environment variable `name` holds; nullopt when it is unset or empty.
std::optional<std::string> textFromEnvironment(const char* name);

}  // namespace skrw::aws
