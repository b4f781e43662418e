#include "host/Registration.h"

#include "functions/FunctionTable.h"
#include "functions/HostErrorCode.h"
#include "host/SKRWInit.h"
#include "host/StepDefinitions.h"
#include "host/StringTable.h"

namespace skrw::host {
namespace {

constexpr unsigned int kDescriptionOffset = 200;

fmx::QuadCharUniquePtr pluginCode() {
    return fmx::QuadCharUniquePtr('S', 'K', 'R', 'W');
}

// Runs one host call; a failure it raises becomes its host error code, so
// that one refused call never stops a sequence of calls.
template <typename Call>
short guarded(Call call) noexcept {
    try {
        return call();
    } catch (...) {
        return functions::hostCodeOfCurrentException();
    }
}

}  // namespace
}  // namespace skrw::host

short RegisterFunction(unsigned int functionId, short least, short most, ExtPluginType callback) {
    using namespace skrw::host;
    const std::int16_t version = currentInterfaceVersion();
    const auto id = static_cast<std::int16_t>(functionId);

    const fmx::QuadCharUniquePtr code = pluginCode();
    fmx::TextUniquePtr name;
    fmx::TextUniquePtr prototype;
    fmx::TextUniquePtr description;
    Do_GetString(functionId, name, true);
    Do_GetString(functionId, prototype, false);

    short answer = 0;
    if (version >= kFirstDescribedVersion) {
        Do_GetString(functionId + kDescriptionOffset, description, false);
        answer = guarded([&] {
            return fmx::ExprEnv::RegisterExternalFunctionEx(*code, id, *name, *prototype,
                                                            *description, least, most,
                                                            kRegistrationFlags, callback);
        });
    } else {
        answer = guarded([&] {
            return fmx::ExprEnv::RegisterExternalFunction(*code, id, *name, *prototype, least, most,
                                                          kRegistrationFlags, callback);
        });
    }

    if (version >= kFirstStepVersion) {
        fmx::TextUniquePtr definition;
        GetXMLDefinition(id, definition);
        answer = guarded([&] {
            return fmx::ExprEnv::RegisterScriptStep(*code, id, *name, *definition, *description,
                                                    kRegistrationFlags, callback);
        });
    }
    return answer;
}

namespace skrw::host {

void registerAllFunctions() {
    for (const functions::ScriptFunctionEntry& entry : functions::ScriptFunctionTable()) {
        try {
            RegisterFunction(static_cast<unsigned int>(entry.id), entry.least, entry.most,
                             entry.callback);
        } catch (...) {
            // The texts of this function could not be made; the others still
            // get their chance.
        }
    }
}

void unregisterAllFunctions() {
    const fmx::QuadCharUniquePtr code = pluginCode();
    for (int id = kFirstUnregisteredId; id <= kLastUnregisteredId; ++id) {
        guarded([&] { return fmx::ExprEnv::UnRegisterExternalFunction(*code, id); });
    }
    if (currentInterfaceVersion() < kFirstStepVersion) return;
    for (int id = kFirstUnregisteredId; id <= kLastUnregisteredId; ++id) {
        guarded([&] { return fmx::ExprEnv::UnRegisterScriptStep(*code, id); });
    }
}

}  // namespace skrw::host
