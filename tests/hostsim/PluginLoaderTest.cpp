// Loading a bundle and sending it messages, with the echo test plug-in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hostsim/HostValues.h"
#include "hostsim/Invocation.h"
#include "hostsim/PluginLoader.h"
#include "hostsim/Registry.h"

namespace {

using hostsim::PluginLoader;
using hostsim::Registry;
using Kind = hostsim::RegistryEntry::Kind;

std::size_t countKind(Kind kind) {
    std::size_t n = 0;
    for (const auto& e : Registry::instance().log()) n += e.kind == kind ? 1 : 0;
    return n;
}

// Bundles that cannot be loaded are covered end to end through pluginhost.
TEST(PluginMessages, StartupVersionChoosesTheRegistrationsAndShutdownUndoesThem) {
    {
        PluginLoader loader(ECHO_BUNDLE);
        EXPECT_EQ(loader.startup(49), -1);
        EXPECT_TRUE(Registry::instance().log().empty());
        ASSERT_EQ(loader.startup(55), 57);
        EXPECT_EQ(Registry::instance().log().front().operation,
                  "FM_ExprEnv_RegisterExternalFunction");
        EXPECT_EQ(countKind(Kind::Step), 0u);
    }
    PluginLoader loader(ECHO_BUNDLE);  // a fresh host forgets the earlier log
    ASSERT_EQ(loader.startup(57), 57);
    EXPECT_EQ(Registry::instance().log().front().operation,
              "FM_ExprEnv_RegisterExternalFunctionEx");
    EXPECT_EQ(countKind(Kind::Step), 1u);
    hostsim::Result result;
    ASSERT_TRUE(
        hostsim::invokeByName(Kind::Function, "Echo_Version", hostsim::Arguments(), result).made);
    EXPECT_EQ(result.textUtf8(), "57");
    loader.shutdown();
    EXPECT_EQ(countKind(Kind::UnregisterFunction), 8u);
    EXPECT_EQ(countKind(Kind::UnregisterStep), 1u);
    EXPECT_FALSE(
        hostsim::invokeByName(Kind::Function, "Echo_Count", hostsim::Arguments(), result).made);
}

TEST(PluginMessages, GetStringFillsTheBufferAndLeavesTheResultFieldAlone) {
    PluginLoader loader(ECHO_BUNDLE);
    const auto reply = loader.getString(129, 64, u'#');
    EXPECT_EQ(reply.text, u"Echoes its arguments \u00B6");
    // The plug-in reads the buffer address from the result field and leaves it.
    EXPECT_EQ(reply.resultField, reinterpret_cast<std::intptr_t>(reply.buffer.data()));
    EXPECT_EQ(reply.buffer.size(), 64u);
    EXPECT_EQ(reply.buffer[22], u'\0');
    EXPECT_EQ(reply.buffer[23], u'#');
    // Too small a buffer: the plug-in writes nothing.
    const auto small = loader.getString(129, 5, u'#');
    EXPECT_EQ(small.buffer, std::vector<char16_t>(5, u'#'));
    // No buffer at all.
    EXPECT_EQ(loader.getString(128, 0).resultField, 0);
}

TEST(PluginMessages, UnknownSelectorReachesThePluginWithTheBundle) {
    PluginLoader loader(ECHO_BUNDLE);
    fmx::CallRecord record;
    std::memset(&record, 0, sizeof record);
    record.selector = 5;
    record.result = 1234;
    loader.send(record);
    EXPECT_EQ(record.result, 1234);
    ASSERT_NE(record.bundle, nullptr);
    EXPECT_EQ(record.bundle->magic, platform::BundleRecord::kMagic);
    EXPECT_EQ(std::string(record.bundle->folderPath), loader.bundleFolder());
    EXPECT_EQ(loader.bundleFolder().front(), '/');
}

}  // namespace
