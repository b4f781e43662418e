// The host interface with its code linked in: the messages as the entry point receives them, what
// the stand-in host's registry records, the string table and the step definitions. The linker's
// --wrap sends the storage object's and the logger's construction and destruction, the console
// and the string-table look-ups to this test first, and host framework operations to
// HostFailures.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "HostFailures.h"
#include "RunProcess.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "host/Registration.h"
#include "host/SKRWInit.h"
#include "host/StepDefinitions.h"
#include "host/StringTable.h"
#include "hostsim/Encoding.h"
#include "hostsim/HostValues.h"
#include "hostsim/Registry.h"

using namespace skrw::functions;

namespace {
std::vector<std::string> gEvents;  // constructions, destructions and console lines, in order
std::vector<int> gLookedUp;        // the ids of string-table look-ups
std::size_t gRegisteredAtFirstConsoleLine = 0;
bool gFailStorageObject = false;
}  // namespace

// The linker's --wrap names C++ functions by their mangled names; clang warns that such a
// C-linkage declaration returns a C++ type, which is exactly what is meant here.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
extern "C" {
void __real__ZN7SKFuncsC1Ev(SKFuncs* self);
void __real__ZN7SKFuncsD1Ev(SKFuncs* self);
void __real__ZN12PluginLoggerD1Ev(PluginLogger* self);
skrw::platform::String
__real__ZN4skrw8platform19copyLocalizedStringEPKNS0_12BundleRecordERKNS0_6StringES6_S6_(
    skrw::platform::BundleRef, const skrw::platform::String&, const skrw::platform::String&,
    const skrw::platform::String&);

void __wrap__ZN7SKFuncsC1Ev(SKFuncs* self) {
    gEvents.push_back("SKFuncs()");
    if (std::exchange(gFailStorageObject, false)) throw std::bad_alloc();
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
void __wrap__ZN4skrw8platform11consoleLineESt17basic_string_viewIcSt11char_traitsIcEE(
    std::string_view text) {
    if (gRegisteredAtFirstConsoleLine == 0)
        gRegisteredAtFirstConsoleLine = skrw::hostsim::Registry::instance().log().size();
    gEvents.push_back(std::string(text));
}
skrw::platform::String
__wrap__ZN4skrw8platform19copyLocalizedStringEPKNS0_12BundleRecordERKNS0_6StringES6_S6_(
    skrw::platform::BundleRef bundle, const skrw::platform::String& key,
    const skrw::platform::String& value, const skrw::platform::String& table) {
    gLookedUp.push_back(std::stoi(key.utf8().substr(5)));
    return __real__ZN4skrw8platform19copyLocalizedStringEPKNS0_12BundleRecordERKNS0_6StringES6_S6_(
        bundle, key, value, table);
}
}  // extern "C"

namespace skrw::test {
namespace {

using skrw::hostsim::Registry;
using Kind = skrw::hostsim::RegistryEntry::Kind;
using fmx::CallRecord;

using skrw::hostsim::utf8FromUtf16;

class Host : public testing::Test {
  protected:
    Host() {
        gEvents.clear();
        gLookedUp.clear();
        gRegisteredAtFirstConsoleLine = 0;
        Registry::instance().clear();
    }
    ~Host() override {
        send(CallRecord::kShutdown);
        stopHostFailures();
    }
    std::int64_t send(std::uint8_t selector, std::int16_t version = 57, std::uint8_t param1 = 0,
                      std::uint64_t param3 = 0, std::int64_t result = 0) {
        CallRecord message{};
        message.interfaceVersion = version, message.selector = selector, message.param1 = param1;
        message.param2 = ~0ull, message.param3 = param3, message.bundle = &m_bundle;
        message.result = result;
        FMExternCallProc(&message);
        return message.result;
    }
    static std::size_t countOf(Kind kind) {
        const auto& log = Registry::instance().log();
        return std::count_if(log.begin(), log.end(), [&](const auto& e) { return e.kind == kind; });
    }
    static bool active(Kind kind, const char16_t* name) {
        return Registry::instance().find(kind, name) != nullptr;
    }

    TempDir m_home;
    ScopedEnv m_homeVariable{"HOME", m_home.path()};
    skrw::platform::BundleRecord m_bundle{skrw::platform::BundleRecord::kMagic,
                                          SKRW_TEST_BUNDLE_DIR};
};

TEST_F(Host, StartupAcceptsInterfaceVersions50To255AndAfterARefusalShutdownDeletesNothing) {
    for (const std::int16_t version : {50, 255, 49, 256, -1}) {
        SCOPED_TRACE(version);
        Registry::instance().clear();
        const bool accepted = version >= 50 && version <= 255;
        EXPECT_EQ(send(CallRecord::kStartup, version), accepted ? 57 : -1);
        EXPECT_EQ(std::tuple(Registry::instance().log().empty(), m_objFuncs == nullptr),
                  std::tuple(!accepted, !accepted));
        gEvents.clear();
        send(CallRecord::kShutdown);
        EXPECT_EQ(std::tuple(gEvents.empty(), countOf(Kind::UnregisterFunction)),
                  std::tuple(!accepted, 61u));
    }
}

TEST_F(Host, EveryMessageSetsTheRecordPointerAndOtherMessagesChangeNothing) {
    for (const int selector : {1, 2, 3, 5, 6, 8, 100, 255}) {
        CallRecord message, sent;
        std::memset(&message, 0xA5, sizeof message);
        message.selector = static_cast<std::uint8_t>(selector);
        std::memcpy(&sent, &message, sizeof message);
        FMExternCallProc(&message);
        EXPECT_TRUE(std::memcmp(&sent, &message, sizeof message) == 0 &&
                    gFMX_ExternCallPtr == &message)
            << selector;
    }
    EXPECT_TRUE(Registry::instance().log().empty());
}

TEST_F(Host, RegistersTheTableInOrderWithDescriptionsFrom56AndStepsFrom57) {
    for (const std::int16_t version : {55, 56, 57}) {
        Registry::instance().clear();
        gLookedUp.clear();
        ASSERT_EQ(send(CallRecord::kStartup, version), 57);
        const auto& log = Registry::instance().log();
        const std::size_t stride = version >= 57 ? 2 : 1;
        ASSERT_EQ(log.size(), stride * ScriptFunctionTable().size());
        for (std::size_t i = 0; i < ScriptFunctionTable().size(); ++i) {
            const ScriptFunctionEntry& entry = ScriptFunctionTable()[i];
            const auto& f = log[stride * i];
            SCOPED_TRACE(std::string(entry.name) + " at " + std::to_string(version));
            EXPECT_EQ(std::tie(f.kind, f.operation, f.pluginId, f.id, f.minArgs, f.maxArgs, f.flags,
                               f.callback),
                      std::make_tuple(Kind::Function,
                                      version < 56 ? "FM_ExprEnv_RegisterExternalFunction"
                                                   : "FM_ExprEnv_RegisterExternalFunctionEx",
                                      "SKRW", entry.id, entry.least, entry.most, 0xFF01u,
                                      entry.callback));
            EXPECT_EQ(utf8FromUtf16(f.name), entry.name);
            EXPECT_EQ(utf8FromUtf16(*f.prototype).rfind(entry.name + std::string("("), 0), 0u);
            EXPECT_EQ(f.description.has_value() && !f.description->empty(), version >= 56);
            if (version < 57) continue;
            const auto& step = log[stride * i + 1];
            fmx::TextUniquePtr definition;
            GetXMLDefinition(entry.id, definition);
            EXPECT_EQ(std::tie(step.kind, step.pluginId, step.id, step.name, step.description,
                               step.flags, step.callback, step.definition),
                      std::make_tuple(Kind::Step, "SKRW", entry.id, f.name, f.description, 0xFF01u,
                                      entry.callback, skrw::hostsim::unitsOf(*definition)));
        }
        // Descriptions live under the ids 350 and up.
        EXPECT_EQ(*std::max_element(gLookedUp.begin(), gLookedUp.end()) >= 350, version >= 56);
        send(CallRecord::kShutdown);
    }
}

TEST_F(Host, ShutdownUnregistersEveryIdFrom150To210FunctionsFirstAndStepsFrom57) {
    std::vector<std::int16_t> everyId;
    for (std::int16_t id = 150; id <= 210; ++id) everyId.push_back(id);
    for (const auto& [startup, shutdown] : {std::pair{57, 57}, {56, 56}, {0, 57}, {0, 56}}) {
        SCOPED_TRACE(std::to_string(startup) + "/" + std::to_string(shutdown));
        if (startup != 0) send(CallRecord::kStartup, startup);
        Registry::instance().clear();
        send(CallRecord::kShutdown, shutdown);
        std::vector<std::int16_t> functions, steps;
        for (const auto& entry : Registry::instance().log()) {
            EXPECT_EQ(entry.pluginId, "SKRW");
            EXPECT_TRUE(steps.empty() || entry.kind == Kind::UnregisterStep);
            (entry.kind == Kind::UnregisterFunction ? functions : steps).push_back(entry.id);
        }
        EXPECT_EQ(functions, everyId);
        EXPECT_EQ(steps, shutdown >= 57 ? everyId : std::vector<std::int16_t>{});
    }
}

TEST_F(Host, StartupRegistersThenMakesTheStorageObjectBetweenTheConsoleLines) {
    ASSERT_EQ(send(CallRecord::kStartup), 57);
    EXPECT_EQ(gRegisteredAtFirstConsoleLine, 26u);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"About to init SKFuncs", "SKFuncs()",
                                                 "Got to this point!"}));
    // Switched on, the log goes with the storage object, after it; a second start-up first
    // removes both.
    for (const std::uint8_t selector : {CallRecord::kStartup, CallRecord::kShutdown}) {
        skrw::hostsim::Result result;
        ASSERT_EQ(
            skrw::hostsim::invoke(SKRW_LogSet, 0, skrw::hostsim::Arguments().textUtf8("1"), result),
            0);
        ASSERT_NE(m_pl, nullptr);
        gEvents.clear();
        send(selector);
        EXPECT_EQ(std::vector(gEvents.begin(), gEvents.begin() + 2),
                  (std::vector<std::string>{"~SKFuncs()", "~PluginLogger()"}));
        EXPECT_EQ(std::tuple(m_pl, m_objFuncs != nullptr), std::tuple(nullptr, selector == 0));
    }
}

TEST_F(Host, AFailedStorageObjectWithdrawsEveryRegistrationAndRefuses) {
    gFailStorageObject = true;
    EXPECT_EQ(send(CallRecord::kStartup), -1);
    EXPECT_EQ(
        std::tuple(m_objFuncs, countOf(Kind::UnregisterFunction), countOf(Kind::UnregisterStep)),
        std::tuple(nullptr, 61u, 61u));
    EXPECT_FALSE(active(Kind::Function, u"SKRW_ListAllBuckets") ||
                 active(Kind::Step, u"SKRW_ListAllBuckets"));
    EXPECT_EQ(send(CallRecord::kStartup), 57);  // the plug-in stays usable
}

TEST_F(Host, AFailingRegistrationOrUnregistrationDoesNotStopTheOthers) {
    // The faults of a function's registration, a step's and an unregistration.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t> rows[] = {
        {2, 1, 2},
        {kThrowsOutOfMemory, kThrowsOther, kThrowsOutOfMemory},
        {kThrowsOther, kThrowsOutOfMemory, kThrowsOther}};
    for (const auto& [functionFault, stepFault, dropFault] : rows) {
        SCOPED_TRACE(std::to_string(functionFault) + " " + std::to_string(stepFault));
        Registry::instance().clear();
        failHostOperation(HostOp::AddFunction, functionFault, 4);  // the fifth: SKRW_GetBucket
        failHostOperation(HostOp::AddStep, stepFault, 6);          // the seventh: SKRW_CreateBucket
        ASSERT_EQ(send(CallRecord::kStartup), 57);
        EXPECT_EQ(std::tuple(countOf(Kind::Function), countOf(Kind::Step)), std::tuple(12u, 12u));
        EXPECT_FALSE(active(Kind::Function, u"SKRW_GetBucket") ||
                     active(Kind::Step, u"SKRW_CreateBucket"));
        EXPECT_TRUE(m_objFuncs && active(Kind::Step, u"SKRW_GetBucket") &&
                    active(Kind::Step, u"SKRW_Debug"));
        failHostOperation(HostOp::DropFunction, dropFault, 10);
        send(CallRecord::kShutdown);
        EXPECT_EQ(std::tuple(m_objFuncs, countOf(Kind::UnregisterFunction),
                             countOf(Kind::UnregisterStep)),
                  std::tuple(nullptr, 60u, 61u));
    }
}

// A registration answers the code of its last host call: the host's own error code, 1 when
// memory ran out and 2 for any other failure.
TEST_F(Host, ARegistrationAnswersTheCodeOfItsLastHostCall) {
    using enum HostOp;
    const ScriptFunctionEntry& entry = ScriptFunctionTable().front();
    const std::tuple<std::int16_t, HostOp, std::int32_t, short> rows[] = {
        {56, AddFunction, 1, 1},
        {56, AddFunction, 2, 2},
        {56, AddFunction, kThrowsOutOfMemory, 1},
        {56, AddFunction, kThrowsOther, 2},
        {57, AddStep, kThrowsOutOfMemory, 1},
        {57, AddStep, kThrowsOther, 2},
        {57, AddFunction, kThrowsOutOfMemory, 0}};  // the step after it is registered
    for (const auto& [version, operation, fault, code] : rows) {
        SCOPED_TRACE(std::to_string(version) + " " + std::to_string(fault));
        Registry::instance().clear();
        CallRecord message{};
        message.interfaceVersion = version, message.bundle = &m_bundle;
        gFMX_ExternCallPtr = &message;
        failHostOperation(operation, fault);
        EXPECT_EQ(RegisterFunction(static_cast<unsigned int>(entry.id), entry.least, entry.most,
                                   entry.callback),
                  code);
        EXPECT_EQ(countOf(Kind::Function) + countOf(Kind::Step), version == 57 ? 1u : 0u);
        gFMX_ExternCallPtr = nullptr;
    }
}

class StringTable : public Host {
  protected:
    StringTable() {
        // 1020 ASCII units and one character outside the BMP: 1022 units in 1025 bytes of UTF-8.
        writeFile(m_folder + "/SKRWStrings.strings",
                  "\"SKRW 1\" = \"" + std::string(1020, 'a') + "\xF0\x9F\x98\x80\";" + R"x(
"SKRW 3" = ""; "SKRW 4" = "x"; "SKRW 7" = "seven"; "SKRW 8" = "SKRW 8"; "SKRW 150" = "A(b(c)";
"SKRW 153" = "(starts"; "SKRW 200" = "NoParenthesis"; "SKRW 201" = "Spaced (x)";
"SKRW 350" = "d150"; "SKRW 401" = "d201";)x");
        m_bundle.folderPath = m_table.path().c_str();
    }
    TempDir m_table;
    std::string m_folder = m_table.path() + "/Resources/en.lproj";
    bool m_made = std::filesystem::create_directories(m_folder);
};

TEST_F(StringTable, ATextIsCopiedWithItsZeroOnlyWhenBothAndOneMoreUnitFit) {
    const std::tuple<std::uint8_t, std::uint64_t, std::size_t, std::u16string> rows[] = {
        {3, 1, 1, u"#"},
        {3, 2, 2, std::u16string(u"\0#", 2)},
        {4, 2, 2, u"##"},
        {4, 3, 3, std::u16string(u"x\0#", 3)},
        {5, 8, 8, u"########"},                      // a missing key
        {8, 8, 8, u"########"},                      // a text equal to its key counts as missing
        {7, 8, 0, u""},                              // no buffer
        {7, 8, 8, std::u16string(u"seven\0##", 8)},  // the key is the id in decimal
        {150, 8, 8, std::u16string(u"A(b(c)\0#", 8)},
        {7, 0x1'00000006, 6, u"######"},  // the capacity is the low 32 bits: 6
        {7, 0xFFFFFFFF'00000007, 7, std::u16string(u"seven\0#", 7)},
        {7, 0xFFFFFFFB, 8, u"########"},  // -5
        {1, 1023, 1023, std::u16string(1023, u'#')},
        {1, 1024, 1024, std::u16string(1020, u'a') + std::u16string(u"\U0001F600\0#", 4)}};
    for (const auto& [id, capacity, units, expected] : rows) {
        SCOPED_TRACE(std::to_string(id) + " in " + std::to_string(capacity));
        std::u16string buffer(units, u'#');
        const auto address = units ? reinterpret_cast<std::intptr_t>(buffer.data()) : 0;
        EXPECT_EQ(send(CallRecord::kGetString, 57, id, capacity, address), address);
        EXPECT_EQ(buffer, expected);
    }
    // Without a current call record nothing is found.
    gFMX_ExternCallPtr = nullptr;
    std::u16string buffer(16, u'#');
    EXPECT_TRUE(Sub_OSXLoadString(7, buffer.data(), 16) == 0 && buffer == std::u16string(16, u'#'));
}

TEST_F(StringTable, NamesAreCutBeforeTheFirstParenthesisAndMissingTextsRegisterEmpty) {
    ASSERT_EQ(send(CallRecord::kStartup), 57);
    using Row = std::tuple<std::int16_t, std::u16string, std::u16string, std::u16string>;
    std::vector<Row> registered;  // the first five: ids 150, 153, 200, 201, 202
    for (const auto& e : Registry::instance().log()) {
        if (e.kind == Kind::Function && e.id <= 202)
            registered.emplace_back(e.id, e.name, *e.prototype, *e.description);
    }
    EXPECT_EQ(registered, (std::vector<Row>{{150, u"A", u"A(b(c)", u"d150"},
                                            {153, u"", u"(starts", u""},
                                            {200, u"NoParenthesis", u"NoParenthesis", u""},
                                            {201, u"Spaced ", u"Spaced (x)", u"d201"},
                                            {202, u"", u"", u""}}));
}

TEST(StepDefinitions, TwelveIdsHaveTheirsAsUtf8AndEveryOtherIdTheEmptyNativeText) {
    std::string all;  // each definition after its id
    for (int id = -1; id <= 211; ++id) {
        fmx::TextUniquePtr text;
        text->Assign("left over");
        GetXMLDefinition(static_cast<std::int16_t>(id), text);
        const std::string definition = utf8FromUtf16(skrw::hostsim::unitsOf(*text));
        EXPECT_EQ(lastAssignedEncoding, definition.empty() ? 0 : 1) << id;
        if (!definition.empty()) all += std::to_string(id) + definition;
    }
    // Every byte of the definitions counts for the host: any change moves this digest.
    std::uint64_t digest = 14695981039346656037ull;
    for (const unsigned char c : all) digest = (digest ^ c) * 1099511628211ull;
    EXPECT_EQ(digest, 16133489051618145507ull) << all.size() << " bytes:\n" << all;
}

TEST(Bundle, ExportsOnlyTheEntryPointAndTheCallRecordPointerAndLeavesTheHostOpen) {
    const auto symbols = [](const char* which) {
        const ProcessOutcome nm =
            runProcess({"nm", "-D", "-j", which, SKRW_TEST_BUNDLE_DIR "/SKRW.so"});
        EXPECT_EQ(nm.status, 0) << "nm (binutils, found along PATH): " << nm.err;
        return nm.out;
    };
    EXPECT_EQ(symbols("--defined-only"), "FMExternCallProc\ngFMX_ExternCallPtr\n");
    EXPECT_NE(symbols("--undefined-only").find("\nFM_Text_AssignUnicode\n"), std::string::npos);
}

}  // namespace
}  // namespace skrw::test
