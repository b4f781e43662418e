// pluginhost: the stand-in host on the command line (see hostsim/HostOptions.h
// and hostsim/HostRun.h).
#include <iostream>
#include <string>
#include <vector>

#include "hostsim/HostOptions.h"
#include "hostsim/HostRun.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const skrw::hostsim::ParsedOptions parsed = skrw::hostsim::parseHostOptions(arguments);
    if (!parsed.options) {
        std::cerr << "pluginhost: " << parsed.error << '\n' << skrw::hostsim::kUsage;
        return 1;
    }
    if (parsed.options->help) {
        std::cout << skrw::hostsim::kUsage;
        return 0;
    }
    return skrw::hostsim::runPluginHost(*parsed.options, std::cin, std::cout, std::cerr);
}
