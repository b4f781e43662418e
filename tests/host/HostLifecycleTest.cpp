// Start-up and shut-down with the host code linked in directly, so that the
// test can watch (and make fail) what the host interface calls: the storage
// object's and the logger's construction and destruction, the console, and
// single host registration calls. The watching goes through the linker's
// --wrap, which sends the host code's calls to the __wrap_ functions below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "HostTestSupport.h"
#include "functions/PluginFunctions.h"
#include "host/SKRWInit.h"
#include "hostsim/HostValues.h"
#include "hostsim/Registry.h"

namespace {

std::vector<std::string> gEvents;
std::size_t gRegistryAtFirstConsoleLine = 0;
bool gFailNextStorageObject = false;
std::int16_t gFailingFunctionId = 0;        // RegisterExternalFunctionEx answers code 2
std::int16_t gFailingStepId = 0;            // RegisterScriptStep answers code 1
std::int16_t gFailingUnregistrationId = 0;  // UnRegisterExternalFunction answers code 2
std::vector<std::int16_t> gUnregistrationAttempts;

}  // namespace

extern "C" {
void __real__ZN7SKFuncsC1Ev(SKFuncs* self);
void __real__ZN7SKFuncsD1Ev(SKFuncs* self);
void __real__ZN12PluginLoggerD1Ev(PluginLogger* self);
void __real__ZN8platform11consoleLineESt17basic_string_viewIcSt11char_traitsIcEE(
    std::string_view text);
decltype(FM_ExprEnv_RegisterExternalFunctionEx) __real_FM_ExprEnv_RegisterExternalFunctionEx;
decltype(FM_ExprEnv_RegisterScriptStep) __real_FM_ExprEnv_RegisterScriptStep;
decltype(FM_ExprEnv_UnRegisterExternalFunction) __real_FM_ExprEnv_UnRegisterExternalFunction;

void __wrap__ZN7SKFuncsC1Ev(SKFuncs* self) {
    gEvents.push_back("SKFuncs()");
    if (gFailNextStorageObject) {
        gFailNextStorageObject = false;
        throw std::bad_alloc();
    }
    __real__ZN7SKFuncsC1Ev(self);
}
void __wrap__ZN7SKFuncsD1Ev(SKFuncs* self) {
    gEvents.push_back("~SKFuncs()");
    __real__ZN7SKFuncsD1Ev(self);
}
void __wrap__ZN12PluginLoggerD1Ev(PluginLogger* self) {
    gEvents.push_back("~PluginLogger()");
    __real__ZN12PluginLoggerD1Ev(self);
}
void __wrap__ZN8platform11consoleLineESt17basic_string_viewIcSt11char_traitsIcEE(
    std::string_view text) {
    if (gRegistryAtFirstConsoleLine == 0) {
        gRegistryAtFirstConsoleLine = hostsim::Registry::instance().log().size();
    }
    gEvents.push_back("console: " + std::string(text));
    __real__ZN8platform11consoleLineESt17basic_string_viewIcSt11char_traitsIcEE(text);
}
std::int16_t __wrap_FM_ExprEnv_RegisterExternalFunctionEx(
    const fmx::QuadChar* code, std::int16_t id, const fmx::Text* name, const fmx::Text* prototype,
    const fmx::Text* description, std::int16_t least, std::int16_t most, std::uint32_t flags,
    ExtPluginType callback, FM_ErrorSlot* err) {
    if (id == gFailingFunctionId) {
        err->code = 2;
        return 0;
    }
    return __real_FM_ExprEnv_RegisterExternalFunctionEx(code, id, name, prototype, description,
                                                        least, most, flags, callback, err);
}
std::int16_t __wrap_FM_ExprEnv_RegisterScriptStep(const fmx::QuadChar* code, std::int16_t id,
                                                  const fmx::Text* name,
                                                  const fmx::Text* definition,
                                                  const fmx::Text* description, std::uint32_t flags,
                                                  ExtPluginType callback, FM_ErrorSlot* err) {
    if (id == gFailingStepId) {
        err->code = 1;
        return 0;
    }
    return __real_FM_ExprEnv_RegisterScriptStep(code, id, name, definition, description, flags,
                                                callback, err);
}
std::int16_t __wrap_FM_ExprEnv_UnRegisterExternalFunction(const fmx::QuadChar* code,
                                                          std::int16_t id, FM_ErrorSlot* err) {
    gUnregistrationAttempts.push_back(id);
    if (id == gFailingUnregistrationId) {
        err->code = 2;
        return 0;
    }
    return __real_FM_ExprEnv_UnRegisterExternalFunction(code, id, err);
}
}  // extern "C"

namespace skrw::hosttest {
namespace {

using hostsim::Registry;
using Kind = hostsim::RegistryEntry::Kind;

class HostLifecycleTest : public testing::Test {
  protected:
    HostLifecycleTest() {
        gEvents.clear();
        gRegistryAtFirstConsoleLine = 0;
        gFailNextStorageObject = false;
        gFailingFunctionId = gFailingStepId = gFailingUnregistrationId = 0;
        gUnregistrationAttempts.clear();
        Registry::instance().clear();
        setenv("HOME", home_.path().c_str(), 1);
        bundle_.folderPath = bundlePath_.c_str();
    }
    ~HostLifecycleTest() override {
        // Leave no objects behind for the next test.
        send(fmx::CallRecord::kShutdown, 57);
    }

    std::int64_t send(std::uint8_t selector, std::int16_t version) {
        fmx::CallRecord record;
        std::memset(&record, 0, sizeof record);
        record.interfaceVersion = version;
        record.selector = selector;
        record.bundle = &bundle_;
        FMExternCallProc(&record);
        return record.result;
    }
    std::int64_t startup(std::int16_t version = 57) {
        return send(fmx::CallRecord::kStartup, version);
    }
    void shutdown(std::int16_t version = 57) { send(fmx::CallRecord::kShutdown, version); }

    static void switchLogOn() {
        hostsim::Arguments args;
        args.textUtf8("1");
        hostsim::Result result;
        ASSERT_EQ(hostsim::invoke(SKRW_LogSet, 0, args, result), 0);
        ASSERT_EQ(result.textUtf8(), "0");
        ASSERT_NE(m_pl, nullptr);
    }

    static std::size_t countOf(Kind kind) {
        std::size_t count = 0;
        for (const auto& entry : Registry::instance().log()) count += entry.kind == kind;
        return count;
    }

    skrw::test::TempDir home_;
    std::string bundlePath_ = pluginBundle();
    platform::BundleRecord bundle_;
};

TEST_F(HostLifecycleTest, StartupCreatesTheStorageObjectBetweenTheConsoleLines) {
    ASSERT_EQ(startup(), 57);
    EXPECT_NE(m_objFuncs, nullptr);
    EXPECT_EQ(m_pl, nullptr);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"console: About to init SKFuncs", "SKFuncs()",
                                                 "console: Got to this point!"}));
    // Everything was registered before the first console line.
    EXPECT_EQ(gRegistryAtFirstConsoleLine, 26u);
}

TEST_F(HostLifecycleTest, AfterARefusedStartupShutdownUnregistersButDeletesNothing) {
    EXPECT_EQ(startup(49), -1);
    EXPECT_TRUE(gEvents.empty());
    EXPECT_TRUE(Registry::instance().log().empty());
    shutdown();
    EXPECT_TRUE(gEvents.empty());
    EXPECT_EQ(m_objFuncs, nullptr);
    EXPECT_EQ(countOf(Kind::UnregisterFunction), 61u);
}

TEST_F(HostLifecycleTest, ShutdownDeletesTheLoggerAfterTheStorageObject) {
    ASSERT_EQ(startup(), 57);
    switchLogOn();
    gEvents.clear();
    shutdown();
    EXPECT_EQ(gEvents, (std::vector<std::string>{"~SKFuncs()", "~PluginLogger()"}));
    EXPECT_EQ(m_objFuncs, nullptr);
    EXPECT_EQ(m_pl, nullptr);
}

TEST_F(HostLifecycleTest, StartupWhileRunningReplacesTheEarlierObjects) {
    ASSERT_EQ(startup(), 57);
    switchLogOn();
    gEvents.clear();
    ASSERT_EQ(startup(), 57);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"~SKFuncs()", "~PluginLogger()",
                                                 "console: About to init SKFuncs", "SKFuncs()",
                                                 "console: Got to this point!"}));
    EXPECT_NE(m_objFuncs, nullptr);
    EXPECT_EQ(m_pl, nullptr);
}

TEST_F(HostLifecycleTest, AFailedStorageObjectWithdrawsEveryRegistrationAndRefuses) {
    gFailNextStorageObject = true;
    EXPECT_EQ(startup(), -1);
    EXPECT_EQ(m_objFuncs, nullptr);
    EXPECT_EQ(countOf(Kind::Function), 13u);
    EXPECT_EQ(countOf(Kind::Step), 13u);
    EXPECT_EQ(countOf(Kind::UnregisterFunction), 61u);
    EXPECT_EQ(countOf(Kind::UnregisterStep), 61u);
    EXPECT_EQ(Registry::instance().find(Kind::Function, u"SKRW_ListAllBuckets"), nullptr);
    EXPECT_EQ(Registry::instance().find(Kind::Step, u"SKRW_ListAllBuckets"), nullptr);
    // The plug-in stays usable: the next start-up succeeds.
    EXPECT_EQ(startup(), 57);
    EXPECT_NE(m_objFuncs, nullptr);
}

TEST_F(HostLifecycleTest, AFailingRegistrationDoesNotStopTheOthers) {
    gFailingFunctionId = 202;
    gFailingStepId = 204;
    ASSERT_EQ(startup(), 57);
    EXPECT_NE(m_objFuncs, nullptr);
    EXPECT_EQ(countOf(Kind::Function), 12u);
    EXPECT_EQ(countOf(Kind::Step), 12u);
    EXPECT_EQ(Registry::instance().find(Kind::Function, u"SKRW_GetBucket"), nullptr);
    EXPECT_NE(Registry::instance().find(Kind::Step, u"SKRW_GetBucket"), nullptr);
    EXPECT_NE(Registry::instance().find(Kind::Function, u"SKRW_CreateBucket"), nullptr);
    EXPECT_EQ(Registry::instance().find(Kind::Step, u"SKRW_CreateBucket"), nullptr);
    EXPECT_NE(Registry::instance().find(Kind::Step, u"SKRW_Debug"), nullptr);
}

TEST_F(HostLifecycleTest, AFailingUnregistrationDoesNotStopShutdown) {
    ASSERT_EQ(startup(), 57);
    gFailingUnregistrationId = 160;
    gEvents.clear();
    shutdown();
    EXPECT_EQ(gUnregistrationAttempts.size(), 61u);
    EXPECT_EQ(countOf(Kind::UnregisterStep), 61u);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"~SKFuncs()"}));
    EXPECT_EQ(m_objFuncs, nullptr);
}

}  // namespace
}  // namespace skrw::hosttest
