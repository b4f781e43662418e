#pragma once
// pluginhost's command line:
//
//   pluginhost [--interface-version N] [--json] [--list] [--step] BUNDLE [CALCULATION ...]
//
// Options come before BUNDLE ("--" ends them); everything after BUNDLE is a
// calculation. Without calculations, pluginhost reads one per line from
// standard input.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skrw::hostsim {

struct HostOptions {
    std::int16_t interfaceVersion = 57;
    bool json = false;
    bool list = false;
    bool step = false;
    bool help = false;
    std::string bundle;
    std::vector<std::string> calculations;
};

extern const char* const kUsage;

// The options, or a message saying what is wrong with the command line.
struct ParsedOptions {
    std::optional<HostOptions> options;
    std::string error;
};

[[nodiscard]] ParsedOptions parseHostOptions(const std::vector<std::string>& arguments);

}  // namespace skrw::hostsim
