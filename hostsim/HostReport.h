#pragma once
// The JSON lines pluginhost writes (each without its line feed).
#include <string>

#include "hostsim/HostValues.h"
#include "hostsim/Registry.h"

namespace skrw::hostsim {

// {"kind": "string", "id": N, "text": TEXT}
std::string hostStringLine(int id, const std::u16string& text);
// {"kind": "function" or "step", "id", "name", ...}: only the fields the
// registration call carried. Empty for an unregistration.
std::string registrationLine(const RegistryEntry& entry);
// {"function": NAME, "result": TEXT, "encoding": "8-bit"|"utf-16", "hostError": N}
std::string resultLine(const std::string& name, const Result& result, short hostError);
// {"function": NAME, "error": WHY}
std::string errorLine(const std::string& name, const std::string& why);

}  // namespace skrw::hostsim
