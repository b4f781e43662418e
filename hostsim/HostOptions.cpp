#include "hostsim/HostOptions.h"

#include <charconv>

namespace skrw::hostsim {

const char* const kUsage =
    "usage: pluginhost [--interface-version N] [--json] [--list] [--step] BUNDLE "
    "[CALCULATION ...]\n"
    "  A calculation is NAME, NAME() or NAME(arg; arg; ...); an argument is a text in\n"
    "  double quotes (JSON escapes) or a number. Without calculations, one is read per\n"
    "  line from standard input.\n";

namespace {

std::optional<std::int16_t> parseVersion(const std::string& text) {
    int value = 0;
    const auto end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < -32768 ||
        value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace

ParsedOptions parseHostOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    HostOptions options;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a == "--json") {
            options.json = true;
        } else if (a == "--list") {
            options.list = true;
        } else if (a == "--step") {
            options.step = true;
        } else if (a == "--help" || a == "-h") {
            options.help = true;
            parsed.options = options;
            return parsed;
        } else if (a == "--interface-version") {
            const auto version =
                i + 1 < arguments.size() ? parseVersion(arguments[i + 1]) : std::nullopt;
            if (!version) {
                parsed.error = "--interface-version needs a whole number from -32768 to 32767";
                return parsed;
            }
            options.interfaceVersion = *version;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            parsed.error = "unknown option " + a;
            return parsed;
        } else {
            break;
        }
    }
    if (i >= arguments.size()) {
        parsed.error = "no bundle given";
        return parsed;
    }
    options.bundle = arguments[i++];
    options.calculations.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                                arguments.end());
    parsed.options = options;
    return parsed;
}

}  // namespace skrw::hostsim
