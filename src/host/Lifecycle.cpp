#include "host/Lifecycle.h"

#include "functions/PluginFunctions.h"
#include "log/PluginLogger.h"
#include "platform/Console.h"
#include "storage/SKFuncs.h"

void PluginInit() {
    PluginShutdown();
    platform::consoleLine("About to init SKFuncs");
    m_objFuncs = new SKFuncs();
    platform::consoleLine("Got to this point!");
    m_pl = nullptr;
}

void PluginShutdown() noexcept {
    if (m_objFuncs != nullptr) delete m_objFuncs;
    m_objFuncs = nullptr;
    if (m_pl != nullptr) delete m_pl;
    m_pl = nullptr;
}
