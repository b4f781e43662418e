#pragma once
// One run of pluginhost: load, ask the host strings, start up, evaluate the
// calculations, shut down, unload. Answers the exit status:
//   0  every calculation was made (whatever it answered),
//   1  a calculation could not be made, or the bundle could not be loaded,
//   3  the plug-in refused start-up (nothing evaluated, no shut-down sent).
#include <iosfwd>

#include "hostsim/HostOptions.h"

namespace skrw::hostsim {

int runPluginHost(const HostOptions& options, std::istream& in, std::ostream& out,
                  std::ostream& err);

}  // namespace skrw::hostsim
