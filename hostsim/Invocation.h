#pragma once
// Calling what the plug-in registered, by name, as the host does when a
// calculation names a function or a script runs a step.
#include <string>

#include "hostsim/HostValues.h"
#include "hostsim/Registry.h"

namespace skrw::hostsim {

struct Invocation {
    bool made = false;    // false: nothing registered under the name, or
                          // the callback let an exception out
    std::string error;    // why it was not made
    short hostError = 0;  // the callback's answer
};

// Calls the active registration of `kind` (Function or Step) named `name`
// (UTF-8) with its own id. The result goes into `result`.
Invocation invokeByName(RegistryEntry::Kind kind, const std::string& name, const Arguments& args,
                        Result& result);

}  // namespace skrw::hostsim
