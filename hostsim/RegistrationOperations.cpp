// The FM_ExprEnv_* operations: every call is recorded in the registry.
#include <utility>

#include "hostsim/HostObjects.h"
#include "hostsim/OperationGuard.h"
#include "hostsim/Registry.h"

using namespace skrw::hostsim;
using Kind = RegistryEntry::Kind;

namespace {

RegistryEntry entryFor(Kind kind, const char* operation, const fmx::QuadChar* pluginId,
                       std::int16_t id) {
    require(pluginId != nullptr);
    RegistryEntry entry;
    entry.kind = kind;
    entry.operation = operation;
    entry.pluginId.assign(host(pluginId)->chars, 4);
    entry.id = id;
    return entry;
}

// The units of a text the operation cannot do without: a null one fails it.
const std::u16string& requiredTextUnits(const fmx::Text* text) {
    require(text != nullptr);
    return host(text)->units;
}

std::int16_t accept(RegistryEntry entry) {
    Registry::instance().record(std::move(entry));
    return 0;
}

// The entry of a function registration, with or without a description.
RegistryEntry functionEntry(const char* operation, const fmx::QuadChar* pluginId,
                            std::int16_t functionId, const fmx::Text* name,
                            const fmx::Text* prototype, std::int16_t minArgs, std::int16_t maxArgs,
                            std::uint32_t flags, ExtPluginType callback) {
    RegistryEntry e = entryFor(Kind::Function, operation, pluginId, functionId);
    e.name = requiredTextUnits(name);
    e.prototype = requiredTextUnits(prototype);
    e.minArgs = minArgs;
    e.maxArgs = maxArgs;
    e.flags = flags;
    require(callback != nullptr);
    e.callback = callback;
    return e;
}

}  // namespace

extern "C" {

std::int16_t FM_ExprEnv_RegisterExternalFunctionEx(
    const fmx::QuadChar* pluginId, std::int16_t functionId, const fmx::Text* name,
    const fmx::Text* prototype, const fmx::Text* description, std::int16_t minArgs,
    std::int16_t maxArgs, std::uint32_t flags, ExtPluginType callback, FM_ErrorSlot* err) {
    return guarded<std::int16_t>(err, 0, [&] {
        RegistryEntry e =
            functionEntry("FM_ExprEnv_RegisterExternalFunctionEx", pluginId, functionId, name,
                          prototype, minArgs, maxArgs, flags, callback);
        e.description = requiredTextUnits(description);
        return accept(std::move(e));
    });
}

std::int16_t FM_ExprEnv_RegisterExternalFunction(const fmx::QuadChar* pluginId,
                                                 std::int16_t functionId, const fmx::Text* name,
                                                 const fmx::Text* prototype, std::int16_t minArgs,
                                                 std::int16_t maxArgs, std::uint32_t flags,
                                                 ExtPluginType callback, FM_ErrorSlot* err) {
    return guarded<std::int16_t>(err, 0, [&] {
        return accept(functionEntry("FM_ExprEnv_RegisterExternalFunction", pluginId, functionId,
                                    name, prototype, minArgs, maxArgs, flags, callback));
    });
}

std::int16_t FM_ExprEnv_RegisterScriptStep(const fmx::QuadChar* pluginId, std::int16_t stepId,
                                           const fmx::Text* name, const fmx::Text* definition,
                                           const fmx::Text* description, std::uint32_t flags,
                                           ExtPluginType callback, FM_ErrorSlot* err) {
    return guarded<std::int16_t>(err, 0, [&] {
        RegistryEntry e = entryFor(Kind::Step, "FM_ExprEnv_RegisterScriptStep", pluginId, stepId);
        e.name = requiredTextUnits(name);
        e.definition = requiredTextUnits(definition);
        e.description = requiredTextUnits(description);
        e.flags = flags;
        require(callback != nullptr);
        e.callback = callback;
        return accept(std::move(e));
    });
}

std::int16_t FM_ExprEnv_UnRegisterExternalFunction(const fmx::QuadChar* pluginId,
                                                   std::int16_t functionId, FM_ErrorSlot* err) {
    return guarded<std::int16_t>(err, 0, [&] {
        return accept(entryFor(Kind::UnregisterFunction, "FM_ExprEnv_UnRegisterExternalFunction",
                               pluginId, functionId));
    });
}

std::int16_t FM_ExprEnv_UnRegisterScriptStep(const fmx::QuadChar* pluginId, std::int16_t stepId,
                                             FM_ErrorSlot* err) {
    return guarded<std::int16_t>(err, 0, [&] {
        return accept(
            entryFor(Kind::UnregisterStep, "FM_ExprEnv_UnRegisterScriptStep", pluginId, stepId));
    });
}

}  // extern "C"
