#include "hostsim/Registry.h"

#include <algorithm>

namespace hostsim {
namespace {

using Kind = RegistryEntry::Kind;

// The kind of registration that an unregistration removes.
Kind registeredKind(Kind kind) {
    if (kind == Kind::UnregisterFunction) return Kind::Function;
    if (kind == Kind::UnregisterStep) return Kind::Step;
    return kind;
}

}  // namespace

Registry& Registry::instance() {
    static Registry registry;
    return registry;
}

void Registry::record(RegistryEntry entry) {
    const Kind kind = registeredKind(entry.kind);
    std::erase_if(active_, [&](const RegistryEntry& e) {
        return e.kind == kind && e.id == entry.id && e.pluginId == entry.pluginId;
    });
    if (entry.kind == Kind::Function || entry.kind == Kind::Step) active_.push_back(entry);
    log_.push_back(std::move(entry));
}

const RegistryEntry* Registry::find(Kind kind, const std::u16string& name) const {
    const auto it = std::find_if(active_.rbegin(), active_.rend(), [&](const RegistryEntry& e) {
        return e.kind == kind && e.name == name;
    });
    return it == active_.rend() ? nullptr : &*it;
}

void Registry::clear() {
    log_.clear();
    active_.clear();
}

void Registry::deactivateAll() {
    active_.clear();
}

}  // namespace hostsim
