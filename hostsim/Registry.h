#pragma once
// What the host learned from the plug-in's registration calls.
//
// The registry keeps two things:
// - the log: every registration and unregistration call, in the order the
//   host received them, with every field the call carried (texts copied at
//   the time of the call);
// - the active table: what can be called now, by name. A new registration
//   under the same plug-in code, kind and id replaces the old one; an
//   unregistration removes it.
// There is one registry per process (the host is the process). It is not
// thread-safe: the host calls the plug-in from one thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fmx/FMWrapperApi.h"
#include "hostsim/Export.h"

namespace skrw::hostsim {

struct RegistryEntry {
    enum class Kind { Function, Step, UnregisterFunction, UnregisterStep };
    Kind kind = Kind::Function;
    std::string operation;  // the FM_* operation that made the call
    std::string pluginId;   // the four characters of the plug-in code
    std::int16_t id = 0;
    std::u16string name;                        // empty for unregistrations
    std::optional<std::u16string> prototype;    // functions
    std::optional<std::u16string> description;  // RegisterExternalFunctionEx, steps
    std::optional<std::u16string> definition;   // steps
    std::optional<std::int16_t> minArgs;        // functions
    std::optional<std::int16_t> maxArgs;        // functions
    std::optional<std::uint32_t> flags;         // registrations
    ExtPluginType callback = nullptr;           // registrations
};

class HOSTSIM_API Registry {
  public:
    static Registry& instance();

    // Records a call and updates the active table.
    void record(RegistryEntry entry);

    const std::vector<RegistryEntry>& log() const { return m_log; }
    // The active registration of that kind (Function or Step) and name, or
    // null.
    const RegistryEntry* find(RegistryEntry::Kind kind, const std::u16string& name) const;

    // Forgets everything (a fresh host).
    void clear();
    // Empties the active table only (the plug-in's code is going away); the
    // log stays readable.
    void deactivateAll();

  private:
    std::vector<RegistryEntry> m_log;
    std::vector<RegistryEntry> m_active;
};

}  // namespace skrw::hostsim
