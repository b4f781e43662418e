// The plug-in's entry point as the host sees it: the built bundle loaded with
// the stand-in host's loader, messages sent, and the host's registry read.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ExpectedRegistrations.h"
#include "HostTestSupport.h"
#include "hostsim/PluginLoader.h"
#include "hostsim/Registry.h"

namespace skrw::hosttest {
namespace {

using hostsim::PluginLoader;
using hostsim::Registry;
using Kind = hostsim::RegistryEntry::Kind;

std::string utf8(const std::u16string& units) {
    std::string out;
    for (char16_t unit : units) out += unit < 0x80 ? static_cast<char>(unit) : '?';
    return out;
}

std::vector<hostsim::RegistryEntry> entriesOf(Kind kind) {
    std::vector<hostsim::RegistryEntry> result;
    for (const auto& entry : Registry::instance().log()) {
        if (entry.kind == kind) result.push_back(entry);
    }
    return result;
}

// The exported call-record pointer of the loaded plug-in.
fmx::CallRecord* externCallPtr() {
    void* library = dlopen(pluginLibrary().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return nullptr;
    auto** pointer = static_cast<fmx::CallRecord**>(dlsym(library, "gFMX_ExternCallPtr"));
    dlclose(library);
    return pointer != nullptr ? *pointer : nullptr;
}

TEST(StartupVersionWindow, AcceptsFiftyThroughTwoHundredFiftyFive) {
    for (std::int16_t version : {50, 57, 255}) {
        PluginLoader loader(pluginBundle());
        EXPECT_EQ(loader.startup(version), 57) << "version " << version;
        loader.shutdown();
    }
}

TEST(StartupVersionWindow, RefusesVersionsOutsideTheWindowWithMinusOne) {
    for (std::int16_t version : {49, 0, 256, -1, -200, -32768, 32767}) {
        PluginLoader loader(pluginBundle());
        EXPECT_EQ(loader.startup(version), -1) << "version " << version;
    }
}

TEST(StartupVersionWindow, RefusedStartupRegistersAndCreatesNothing) {
    PluginLoader loader(pluginBundle());
    testing::internal::CaptureStderr();
    EXPECT_EQ(loader.startup(49), -1);
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Registry::instance().log().empty());
    EXPECT_EQ(console.find("About to init SKFuncs"), std::string::npos);
}

TEST(StartupConsole, WritesBothLinesInOrderAfterTheRegistrations) {
    PluginLoader loader(pluginBundle());
    testing::internal::CaptureStderr();
    EXPECT_EQ(loader.startup(57), 57);
    const std::string console = testing::internal::GetCapturedStderr();
    const auto first = console.find("About to init SKFuncs\n");
    const auto second = console.find("Got to this point!\n");
    ASSERT_NE(first, std::string::npos) << console;
    ASSERT_NE(second, std::string::npos) << console;
    EXPECT_LT(first, second);
    loader.shutdown();
}

TEST(MessageDispatch, IgnoredSelectorsWriteNothingButStillSetTheRecordPointer) {
    PluginLoader loader(pluginBundle());
    for (int selector : {1, 2, 3, 5, 6, 8, 9, 100, 255}) {
        fmx::CallRecord record;
        std::memset(&record, 0xA5, sizeof record);
        record.selector = static_cast<std::uint8_t>(selector);
        record.interfaceVersion = 57;
        fmx::CallRecord sent;
        std::memcpy(&sent, &record, sizeof record);
        loader.send(record);  // the loader fills in the bundle reference (34..41)
        const auto* before = reinterpret_cast<const unsigned char*>(&sent);
        const auto* after = reinterpret_cast<const unsigned char*>(&record);
        EXPECT_EQ(std::memcmp(before, after, 34), 0) << "selector " << selector;
        EXPECT_EQ(std::memcmp(before + 42, after + 42, sizeof record - 42), 0)
            << "selector " << selector;
        EXPECT_EQ(externCallPtr(), &record) << "selector " << selector;
    }
    EXPECT_TRUE(Registry::instance().log().empty());
}

TEST(MessageDispatch, EveryHandledMessageLeavesTheRecordPointerSet) {
    PluginLoader loader(pluginBundle());
    fmx::CallRecord record;
    std::memset(&record, 0, sizeof record);
    record.interfaceVersion = 57;
    record.selector = fmx::CallRecord::kStartup;
    loader.send(record);
    EXPECT_EQ(record.result, 57);
    EXPECT_EQ(externCallPtr(), &record);
    record.selector = fmx::CallRecord::kShutdown;
    loader.send(record);
    EXPECT_EQ(externCallPtr(), &record);
}

TEST(GetStringMessage, LeavesTheResultFieldHoldingTheBufferAddress) {
    PluginLoader loader(pluginBundle());
    const hostsim::GetStringReply reply = loader.getString(150, 64);
    EXPECT_EQ(reply.resultField,
              static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(reply.buffer.data())));
}

TEST(GetStringMessage, AnswersTheHostStringsAndPrototypesOfTheBundle) {
    PluginLoader loader(pluginBundle());
    EXPECT_EQ(utf8(loader.getString(128, 1024).text), "Skerrow");
    EXPECT_FALSE(loader.getString(129, 1024).text.empty());
    EXPECT_EQ(utf8(loader.getString(131, 1024).text).rfind("SKRW", 0), 0u);
    EXPECT_EQ(utf8(loader.getString(150, 1024).text).rfind("SKRW_Version(", 0), 0u);
    // An id the table does not know leaves the buffer as it was.
    const hostsim::GetStringReply missing = loader.getString(7, 16, u'#');
    EXPECT_EQ(missing.buffer, std::vector<char16_t>(16, u'#'));
}

void expectFunctionRegistrations(const std::vector<hostsim::RegistryEntry>& functions,
                                 const char* operation, bool described) {
    ASSERT_EQ(functions.size(), kExpectedFunctions.size());
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const auto& got = functions[i];
        const auto& expected = kExpectedFunctions[i];
        SCOPED_TRACE(std::string(expected.name));
        EXPECT_EQ(got.operation, operation);
        EXPECT_EQ(got.pluginId, "SKRW");
        EXPECT_EQ(got.id, expected.id);
        EXPECT_EQ(utf8(got.name), expected.name);
        ASSERT_TRUE(got.prototype.has_value());
        EXPECT_EQ(utf8(*got.prototype).rfind(std::string(expected.name) + "(", 0), 0u);
        EXPECT_EQ(got.minArgs, expected.least);
        EXPECT_EQ(got.maxArgs, expected.most);
        EXPECT_EQ(got.flags, kFlags);
        EXPECT_NE(got.callback, nullptr);
        EXPECT_EQ(got.description.has_value(), described);
        if (described) {
            EXPECT_FALSE(got.description->empty());
        }
    }
}

TEST(Registration, VersionFiftyFiveRegistersFunctionsWithoutDescriptionsOrSteps) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(55), 57);
    EXPECT_EQ(Registry::instance().log().size(), 13u);
    expectFunctionRegistrations(entriesOf(Kind::Function), "FM_ExprEnv_RegisterExternalFunction",
                                false);
    EXPECT_TRUE(entriesOf(Kind::Step).empty());
    loader.shutdown();
}

TEST(Registration, VersionFiftySixRegistersFunctionsWithDescriptionsButNoSteps) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(56), 57);
    EXPECT_EQ(Registry::instance().log().size(), 13u);
    expectFunctionRegistrations(entriesOf(Kind::Function), "FM_ExprEnv_RegisterExternalFunctionEx",
                                true);
    EXPECT_TRUE(entriesOf(Kind::Step).empty());
    loader.shutdown();
}

TEST(Registration, VersionFiftySevenAlternatesFunctionsAndStepsInTableOrder) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(57), 57);
    const auto& log = Registry::instance().log();
    ASSERT_EQ(log.size(), 26u);
    for (std::size_t i = 0; i < kExpectedFunctions.size(); ++i) {
        const auto& function = log[2 * i];
        const auto& step = log[2 * i + 1];
        const auto& expected = kExpectedFunctions[i];
        SCOPED_TRACE(std::string(expected.name));
        EXPECT_EQ(function.kind, Kind::Function);
        EXPECT_EQ(step.kind, Kind::Step);
        EXPECT_EQ(step.operation, "FM_ExprEnv_RegisterScriptStep");
        EXPECT_EQ(step.pluginId, "SKRW");
        EXPECT_EQ(step.id, expected.id);
        EXPECT_EQ(step.name, function.name);
        EXPECT_EQ(step.description, function.description);
        EXPECT_EQ(step.flags, kFlags);
        EXPECT_EQ(step.callback, function.callback);
        EXPECT_FALSE(step.minArgs.has_value());
    }
    expectFunctionRegistrations(entriesOf(Kind::Function), "FM_ExprEnv_RegisterExternalFunctionEx",
                                true);
    loader.shutdown();
}

TEST(StepDefinitions, EachStepCarriesItsExactDefinition) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(57), 57);
    const auto steps = entriesOf(Kind::Step);
    ASSERT_EQ(steps.size(), kExpectedFunctions.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& expected = kExpectedFunctions[i];
        SCOPED_TRACE(std::string(expected.name));
        ASSERT_TRUE(steps[i].definition.has_value());
        const std::string definition = utf8(*steps[i].definition);
        EXPECT_EQ(definition, expected.definition);
        EXPECT_EQ(definition.size(), expected.definitionLength);
        if (!definition.empty()) {
            EXPECT_EQ(definition.find(kTarget), std::string("<pluginstep>").size());
        }
    }
    loader.shutdown();
}

std::vector<std::int16_t> unregisteredIds(Kind kind) {
    std::vector<std::int16_t> ids;
    for (const auto& entry : entriesOf(kind)) {
        EXPECT_EQ(entry.pluginId, "SKRW");
        ids.push_back(entry.id);
    }
    return ids;
}

std::vector<std::int16_t> fullRange() {
    std::vector<std::int16_t> ids;
    for (std::int16_t id = 150; id <= 210; ++id) ids.push_back(id);
    return ids;
}

// Index in the log of the first entry of `kind`, or the log's size.
std::size_t firstOf(Kind kind) {
    const auto& log = Registry::instance().log();
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].kind == kind) return i;
    }
    return log.size();
}

std::size_t lastOf(Kind kind) {
    const auto& log = Registry::instance().log();
    std::size_t last = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].kind == kind) last = i;
    }
    return last;
}

TEST(Shutdown, VersionFiftySevenUnregistersEveryFunctionIdThenEveryStepId) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(57), 57);
    loader.shutdown();
    EXPECT_EQ(unregisteredIds(Kind::UnregisterFunction), fullRange());
    EXPECT_EQ(unregisteredIds(Kind::UnregisterStep), fullRange());
    EXPECT_LT(lastOf(Kind::UnregisterFunction), firstOf(Kind::UnregisterStep));
    for (const auto& expected : kExpectedFunctions) {
        const std::u16string name(expected.name.begin(), expected.name.end());
        EXPECT_EQ(Registry::instance().find(Kind::Function, name), nullptr);
        EXPECT_EQ(Registry::instance().find(Kind::Step, name), nullptr);
    }
}

TEST(Shutdown, VersionFiftySixUnregistersFunctionIdsOnly) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(56), 57);
    loader.shutdown();
    EXPECT_EQ(unregisteredIds(Kind::UnregisterFunction), fullRange());
    EXPECT_TRUE(unregisteredIds(Kind::UnregisterStep).empty());
}

TEST(Shutdown, WithoutStartupUnregistersTheSameIds) {
    {
        PluginLoader loader(pluginBundle());
        loader.shutdown();  // version 57: nothing was started
        EXPECT_EQ(unregisteredIds(Kind::UnregisterFunction), fullRange());
        EXPECT_EQ(unregisteredIds(Kind::UnregisterStep), fullRange());
        EXPECT_TRUE(entriesOf(Kind::Function).empty());
    }
    {
        PluginLoader loader(pluginBundle());
        fmx::CallRecord record;
        std::memset(&record, 0, sizeof record);
        record.interfaceVersion = 56;
        record.selector = fmx::CallRecord::kShutdown;
        loader.send(record);
        EXPECT_EQ(unregisteredIds(Kind::UnregisterFunction), fullRange());
        EXPECT_TRUE(unregisteredIds(Kind::UnregisterStep).empty());
    }
}

TEST(Shutdown, AStartupAfterShutdownWorksAgain) {
    PluginLoader loader(pluginBundle());
    ASSERT_EQ(loader.startup(57), 57);
    loader.shutdown();
    ASSERT_EQ(loader.startup(57), 57);
    EXPECT_NE(Registry::instance().find(Kind::Function, u"SKRW_Debug"), nullptr);
    loader.shutdown();
    EXPECT_EQ(Registry::instance().find(Kind::Function, u"SKRW_Debug"), nullptr);
}

}  // namespace
}  // namespace skrw::hosttest
