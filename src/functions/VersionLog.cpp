#include "functions/VersionLog.h"

#include "functions/PluginFunctions.h"
#include "log/PluginLogger.h"

namespace skrw::functions {

namespace {
constexpr const char* kVersionFunctionName = "SKRW_Version";
}  // namespace

void logVersionEntry() {
    if (m_pl != nullptr) m_pl->EnteringFunction(kVersionFunctionName);
}

void logVersionAnswer(const std::string& answer) {
    if (m_pl != nullptr) m_pl->WriteLine("Returning " + answer);
    if (m_pl != nullptr) m_pl->ExitingFunction(kVersionFunctionName);
}

}  // namespace skrw::functions
