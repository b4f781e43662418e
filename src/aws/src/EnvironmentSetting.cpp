#include "EnvironmentSetting.h"

#include <cstdlib>

namespace skrw::aws {

std::optional<std::chrono::milliseconds> millisecondsFromEnvironment(const char* name,
                                                                     long minimum) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < minimum) return std::nullopt;
    return std::chrono::milliseconds(value);
}

}  // namespace skrw::aws
