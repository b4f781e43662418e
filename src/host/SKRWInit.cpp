// The plug-in's entry point: every host message arrives here.
//
// Nothing raised inside may reach the host: each message handler is a
// firewall, and start-up and shut-down additionally guard every single host
// call (Registration.cpp), so that a refused registration or unregistration
// never stops the rest of the sequence.
#include "host/SKRWInit.h"

#include <cstdint>

#include "fmx/CallRecord.h"
#include "functions/PluginFunctions.h"
#include "host/Registration.h"
#include "host/StringTable.h"
#include "log/PluginLogger.h"
#include "platform/Console.h"
#include "storage/SKFuncs.h"

fmx::CallRecord* gFMX_ExternCallPtr = nullptr;

namespace skrw::host {

std::int16_t currentInterfaceVersion() {
    if (gFMX_ExternCallPtr == nullptr) return 0;
    return gFMX_ExternCallPtr->interfaceVersion;
}

skrw::platform::BundleRef currentBundle() {
    if (gFMX_ExternCallPtr == nullptr) return nullptr;
    return gFMX_ExternCallPtr->bundle;
}

}  // namespace skrw::host

void PluginInit() {
    PluginShutdown();
    skrw::platform::consoleLine("About to init SKFuncs");
    m_objFuncs = new SKFuncs();
    skrw::platform::consoleLine("Got to this point!");
}

void PluginShutdown() noexcept {
    delete m_objFuncs;
    m_objFuncs = nullptr;
    delete m_pl;
    m_pl = nullptr;
}

namespace {

constexpr std::uint16_t kLowestAcceptedVersion = 50;
constexpr std::uint16_t kHighestAcceptedVersion = 255;

void answerStartup(std::int64_t answer) {
    gFMX_ExternCallPtr->result = answer;
}

void startup() {
    const auto version = static_cast<std::uint16_t>(gFMX_ExternCallPtr->interfaceVersion);
    if (version < kLowestAcceptedVersion || version > kHighestAcceptedVersion) {
        answerStartup(fmx::CallRecord::kStartupRefused);
        return;
    }
    skrw::host::registerAllFunctions();
    try {
        PluginInit();
    } catch (...) {
        // Without its SKFuncs instance no registered function may stay
        // callable: withdraw them and refuse.
        try {
            skrw::host::unregisterAllFunctions();
        } catch (...) {
        }
        PluginShutdown();
        answerStartup(fmx::CallRecord::kStartupRefused);
        return;
    }
    answerStartup(fmx::CallRecord::kStartupAccepted);
}

void shutdown() noexcept {
    try {
        skrw::host::unregisterAllFunctions();
    } catch (...) {
        // The plug-in code could not be made; the objects still go.
    }
    PluginShutdown();
}

void getString() noexcept {
    const fmx::CallRecord& record = *gFMX_ExternCallPtr;
    const unsigned int stringId = record.param1;
    const auto second = static_cast<std::uint32_t>(record.param2);
    const auto capacity = static_cast<std::int32_t>(static_cast<std::uint32_t>(record.param3));
    auto* buffer = reinterpret_cast<char16_t*>(static_cast<std::uintptr_t>(record.result));
    try {
        Do_GetString(stringId, second, capacity, buffer);
    } catch (...) {
    }
}

}  // namespace

void FMExternCallProc(fmx::CallRecord* record) {
    gFMX_ExternCallPtr = record;
    if (record == nullptr) return;
    try {
        switch (record->selector) {
            case fmx::CallRecord::kGetString:
                getString();
                break;
            case fmx::CallRecord::kShutdown:
                shutdown();
                break;
            case fmx::CallRecord::kStartup:
                startup();
                break;
            default:
                break;
        }
    } catch (...) {
        // Nothing may leave towards the host.
    }
}
