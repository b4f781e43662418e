#include "EnvironmentSetting.h"

#include <cerrno>
#include <cstdlib>

namespace skrw::aws {

std::optional<std::chrono::milliseconds> millisecondsFromEnvironment(const char* name,
                                                                     long minimum) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return std::nullopt;
    // At most a day: a larger value would overflow once turned into the clock's
    // finer units, and no wait of ours is meant to be longer.
    constexpr long kMaximum = 24L * 60 * 60 * 1000;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value < minimum || value > kMaximum) return std::nullopt;
    return std::chrono::milliseconds(value);
}

std::optional<std::string> textFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return std::nullopt;
    return std::string(text);
}

}  // namespace skrw::aws
