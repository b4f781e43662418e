// The plug-in's entry point as the host sees it: the built bundle loaded with
// the stand-in host's loader, messages sent, and the host's registry read.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

std::string ascii(const std::u16string& units) {
    return std::string(units.begin(), units.end());
}

// The exported call-record pointer of the loaded plug-in.
fmx::CallRecord* externCallPtr() {
    void* library = dlopen(pluginLibrary().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return nullptr;
    auto** pointer = static_cast<fmx::CallRecord**>(dlsym(library, "gFMX_ExternCallPtr"));
    dlclose(library);
    return pointer != nullptr ? *pointer : nullptr;
}

TEST(Startup, AcceptsVersionsFiftyToTwoHundredFiftyFiveAndOtherwiseRegistersNothing) {
    for (const std::int16_t version : {50, 57, 255, 49, 0, 256, -1, -200, -32768, 32767}) {
        SCOPED_TRACE(version);
        const bool inWindow = version >= 50 && version <= 255;
        PluginLoader loader(pluginBundle());
        EXPECT_EQ(loader.startup(version), inWindow ? 57 : -1);
        EXPECT_EQ(Registry::instance().log().empty(), !inWindow);
        if (inWindow) loader.shutdown();
    }
}

TEST(MessageDispatch, EveryMessageSetsTheRecordPointerAndIgnoredOnesChangeNothing) {
    PluginLoader loader(pluginBundle());
    for (int selector : {1, 2, 3, 5, 6, 8, 9, 100, 255}) {
        SCOPED_TRACE(selector);
        fmx::CallRecord record, sent;
        std::memset(&record, 0xA5, sizeof record);
        record.selector = static_cast<std::uint8_t>(selector);
        record.interfaceVersion = 57;
        std::memcpy(&sent, &record, sizeof record);
        loader.send(record);  // the loader fills in the bundle reference (34..41)
        const auto* before = reinterpret_cast<const unsigned char*>(&sent);
        const auto* after = reinterpret_cast<const unsigned char*>(&record);
        EXPECT_EQ(std::memcmp(before, after, 34), 0);
        EXPECT_EQ(std::memcmp(before + 42, after + 42, sizeof record - 42), 0);
        EXPECT_EQ(externCallPtr(), &record);
    }
    EXPECT_TRUE(Registry::instance().log().empty());
    for (const std::uint8_t selector : {fmx::CallRecord::kStartup, fmx::CallRecord::kShutdown}) {
        fmx::CallRecord record;
        std::memset(&record, 0, sizeof record);
        record.interfaceVersion = 57;
        record.selector = selector;
        loader.send(record);
        EXPECT_EQ(externCallPtr(), &record);
    }
    const hostsim::GetStringReply reply = loader.getString(150, 64);
    EXPECT_EQ(reply.resultField,
              static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(reply.buffer.data())));
}

TEST(Registration, FunctionsInTableOrderWithDescriptionsFromFiftySixAndStepsFromFiftySeven) {
    const struct {
        std::int16_t version;
        const char* operation;
        bool described, steps;
    } rows[] = {
        {55, "FM_ExprEnv_RegisterExternalFunction", false, false},
        {56, "FM_ExprEnv_RegisterExternalFunctionEx", true, false},
        {57, "FM_ExprEnv_RegisterExternalFunctionEx", true, true},
    };
    for (const auto& row : rows) {
        PluginLoader loader(pluginBundle());
        ASSERT_EQ(loader.startup(row.version), 57);
        const auto& log = Registry::instance().log();
        const std::size_t stride = row.steps ? 2 : 1;
        ASSERT_EQ(log.size(), stride * kExpectedFunctions.size());
        for (std::size_t i = 0; i < kExpectedFunctions.size(); ++i) {
            const auto& got = log[stride * i];
            const auto& expected = kExpectedFunctions[i];
            SCOPED_TRACE(std::string(expected.name) + " at " + std::to_string(row.version));
            EXPECT_EQ(got.kind, Kind::Function);
            EXPECT_EQ(got.operation, row.operation);
            EXPECT_EQ(got.pluginId, "SKRW");
            EXPECT_EQ(got.id, expected.id);
            EXPECT_EQ(ascii(got.name), expected.name);
            ASSERT_TRUE(got.prototype.has_value());
            EXPECT_EQ(ascii(*got.prototype).rfind(std::string(expected.name) + "(", 0), 0u);
            EXPECT_EQ(got.minArgs, expected.least);
            EXPECT_EQ(got.maxArgs, expected.most);
            EXPECT_EQ(got.flags, kFlags);
            EXPECT_NE(got.callback, nullptr);
            EXPECT_EQ(got.description.has_value(), row.described);
            if (row.described) {
                EXPECT_FALSE(got.description->empty());
            }
            if (!row.steps) continue;
            const auto& step = log[stride * i + 1];
            EXPECT_EQ(step.kind, Kind::Step);
            EXPECT_EQ(step.operation, "FM_ExprEnv_RegisterScriptStep");
            EXPECT_EQ(step.pluginId, "SKRW");
            EXPECT_EQ(step.id, expected.id);
            EXPECT_EQ(step.name, got.name);
            EXPECT_EQ(step.description, got.description);
            EXPECT_EQ(step.flags, kFlags);
            EXPECT_EQ(step.callback, got.callback);
            EXPECT_FALSE(step.minArgs.has_value());
            ASSERT_TRUE(step.definition.has_value());
            EXPECT_EQ(ascii(*step.definition), expected.definition);
            EXPECT_EQ(step.definition->size(), expected.definitionLength);
        }
        loader.shutdown();
    }
}

TEST(Shutdown, UnregistersEveryIdFrom150To210FunctionsThenStepsWithOrWithoutStartup) {
    std::vector<std::int16_t> everyId;
    for (std::int16_t id = 150; id <= 210; ++id) everyId.push_back(id);
    const struct {
        std::int16_t startupVersion;  // 0: no start-up
        std::int16_t shutdownVersion;
    } rows[] = {{57, 57}, {56, 56}, {0, 57}, {0, 56}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.startupVersion) + "/" +
                     std::to_string(row.shutdownVersion));
        PluginLoader loader(pluginBundle());
        if (row.startupVersion != 0) {
            ASSERT_EQ(loader.startup(row.startupVersion), 57);
        }
        fmx::CallRecord record;
        std::memset(&record, 0, sizeof record);
        record.interfaceVersion = row.shutdownVersion;
        record.selector = fmx::CallRecord::kShutdown;
        loader.send(record);
        std::vector<std::int16_t> functions, steps;
        std::size_t lastFunction = 0, firstStep = SIZE_MAX;
        const auto& log = Registry::instance().log();
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (log[i].kind == Kind::UnregisterFunction) {
                functions.push_back(log[i].id);
                lastFunction = i;
            } else if (log[i].kind == Kind::UnregisterStep) {
                steps.push_back(log[i].id);
                firstStep = std::min(firstStep, i);
            }
            if (log[i].kind == Kind::UnregisterFunction || log[i].kind == Kind::UnregisterStep) {
                EXPECT_EQ(log[i].pluginId, "SKRW");
            }
        }
        EXPECT_EQ(functions, everyId);
        EXPECT_EQ(steps, row.shutdownVersion >= 57 ? everyId : std::vector<std::int16_t>{});
        EXPECT_LT(lastFunction, firstStep);
        for (const auto& expected : kExpectedFunctions) {
            const std::u16string name(expected.name.begin(), expected.name.end());
            EXPECT_EQ(Registry::instance().find(Kind::Function, name), nullptr);
            EXPECT_EQ(Registry::instance().find(Kind::Step, name), nullptr);
        }
    }
}

}  // namespace
}  // namespace skrw::hosttest
