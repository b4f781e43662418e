#include "hostsim/Registry.h"

#include <algorithm>

namespace skrw::hostsim {
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
    std::erase_if(m_active, [&](const RegistryEntry& e) {
        return e.kind == kind && e.id == entry.id && e.pluginId == entry.pluginId;
    });
    if (entry.kind == Kind::Function || entry.kind == Kind::Step) m_active.push_back(entry);
    m_log.push_back(std::move(entry));
}

const RegistryEntry* Registry::find(Kind kind, const std::u16string& name) const {
    const auto it = std::find_if(m_active.rbegin(), m_active.rend(), [&](const RegistryEntry& e) {
        return e.kind == kind && e.name == name;
    });
    return it == m_active.rend() ? nullptr : &*it;
}

void Registry::clear() {
    m_log.clear();
    m_active.clear();
}

void Registry::deactivateAll() {
    m_active.clear();
}

}  // namespace skrw::hostsim
