#include "hostsim/Invocation.h"

#include <exception>

#include "hostsim/Encoding.h"

namespace skrw::hostsim {

Invocation invokeByName(RegistryEntry::Kind kind, const std::string& name, const Arguments& args,
                        Result& result) {
    Invocation outcome;
    const RegistryEntry* entry = Registry::instance().find(kind, utf16FromUtf8(name));
    if (entry == nullptr) {
        outcome.error = kind == RegistryEntry::Kind::Step
                            ? "no script step is registered under this name"
                            : "no function is registered under this name";
        return outcome;
    }
    try {
        outcome.hostError = invoke(entry->callback, entry->id, args, result);
        outcome.made = true;
    } catch (const std::exception& e) {
        outcome.error = std::string("the plug-in let an exception out: ") + e.what();
    } catch (...) {
        outcome.error = "the plug-in let an exception out";
    }
    return outcome;
}

}  // namespace skrw::hostsim
