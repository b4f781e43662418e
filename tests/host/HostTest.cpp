// The host interface with its code linked in: the messages as the entry point receives them, what
// the stand-in host's registry records, the string table and the step definitions. The linker's
// --wrap sends the storage object's and the logger's construction and destruction, the console
// and the string-table look-ups to this test first, and host framework operations to
// HostFailures.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <numeric>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

#include "HostFailures.h"
#include "RunProcess.h"
#include "TestServer.h"
#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
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
void __real__ZN8platform11consoleLineESt17basic_string_viewIcSt11char_traitsIcEE(std::string_view);
platform::String __real__ZN8platform19copyLocalizedStringEPKNS_12BundleRecordERKNS_6StringES5_S5_(
    platform::BundleRef, const platform::String&, const platform::String&, const platform::String&);

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
void __wrap__ZN8platform11consoleLineESt17basic_string_viewIcSt11char_traitsIcEE(
    std::string_view text) {
    if (gRegisteredAtFirstConsoleLine == 0) {
        gRegisteredAtFirstConsoleLine = skrw::hostsim::Registry::instance().log().size();
    }
    gEvents.push_back(std::string(text));
}
platform::String __wrap__ZN8platform19copyLocalizedStringEPKNS_12BundleRecordERKNS_6StringES5_S5_(
    platform::BundleRef bundle, const platform::String& key, const platform::String& value,
    const platform::String& table) {
    gLookedUp.push_back(std::stoi(key.utf8().substr(5)));
    return __real__ZN8platform19copyLocalizedStringEPKNS_12BundleRecordERKNS_6StringES5_S5_(
        bundle, key, value, table);
}
}  // extern "C"

namespace skrw::test {
namespace {

using namespace std::string_literals;
using skrw::hostsim::Registry;
using Kind = skrw::hostsim::RegistryEntry::Kind;
using fmx::CallRecord;

std::string utf8(const std::u16string& units) {
    return skrw::hostsim::utf8FromUtf16(units);
}

class Host : public testing::Test {
  protected:
    Host() {
        gEvents.clear();
        gLookedUp.clear();
        gRegisteredAtFirstConsoleLine = 0;
        Registry::instance().clear();
        setenv("HOME", home_.path().c_str(), 1);
    }
    ~Host() override {
        send(CallRecord::kShutdown);
        stopHostFailures();
    }
    CallRecord record(std::uint8_t selector, std::int16_t version = 57) {
        CallRecord record;
        std::memset(&record, 0, sizeof record);
        record.interfaceVersion = version;
        record.selector = selector;
        record.bundle = &bundle_;
        return record;
    }
    std::int64_t send(std::uint8_t selector, std::int16_t version = 57) {
        CallRecord message = record(selector, version);
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

    TempDir home_;
    std::string bundlePath_ = SKRW_TEST_BUNDLE_DIR;
    platform::BundleRecord bundle_{platform::BundleRecord::kMagic, bundlePath_.c_str()};
};

TEST_F(Host, StartupAcceptsInterfaceVersions50To255AndOtherwiseRegistersNothing) {
    for (const std::int16_t version : {50, 255, 49, 256, -1}) {
        SCOPED_TRACE(version);
        Registry::instance().clear();
        const bool accepted = version >= 50 && version <= 255;
        EXPECT_EQ(send(CallRecord::kStartup, version), accepted ? 57 : -1);
        EXPECT_EQ(std::tuple(Registry::instance().log().empty(), m_objFuncs == nullptr),
                  std::tuple(!accepted, !accepted));
        send(CallRecord::kShutdown);
    }
}

TEST_F(Host, EveryMessageSetsTheRecordPointerAndOtherMessagesChangeNothing) {
    for (const int selector : {1, 2, 3, 5, 6, 8, 100, 255}) {
        CallRecord message, sent;
        std::memset(&message, 0xA5, sizeof message);
        message.selector = static_cast<std::uint8_t>(selector);
        std::memcpy(&sent, &message, sizeof message);
        FMExternCallProc(&message);
        EXPECT_EQ(std::memcmp(&sent, &message, sizeof message), 0) << selector;
        EXPECT_EQ(gFMX_ExternCallPtr, &message);
    }
    EXPECT_TRUE(Registry::instance().log().empty());
}

TEST_F(Host, RegistersTheTableInOrderWithDescriptionsFrom56AndStepsFrom57) {
    const struct {
        std::int16_t version;
        const char* operation;
        bool described, steps;
    } rows[] = {{55, "FM_ExprEnv_RegisterExternalFunction", false, false},
                {56, "FM_ExprEnv_RegisterExternalFunctionEx", true, false},
                {57, "FM_ExprEnv_RegisterExternalFunctionEx", true, true}};
    for (const auto& row : rows) {
        Registry::instance().clear();
        gLookedUp.clear();
        ASSERT_EQ(send(CallRecord::kStartup, row.version), 57);
        const auto& log = Registry::instance().log();
        const std::size_t stride = row.steps ? 2 : 1;
        ASSERT_EQ(log.size(), stride * ScriptFunctionTable().size());
        for (std::size_t i = 0; i < ScriptFunctionTable().size(); ++i) {
            const ScriptFunctionEntry& entry = ScriptFunctionTable()[i];
            const auto& f = log[stride * i];
            SCOPED_TRACE(std::string(entry.name) + " at " + std::to_string(row.version));
            EXPECT_EQ(std::tie(f.kind, f.operation, f.pluginId, f.id, f.minArgs, f.maxArgs, f.flags,
                               f.callback),
                      std::make_tuple(Kind::Function, row.operation, "SKRW", entry.id, entry.least,
                                      entry.most, 0xFF01u, entry.callback));
            EXPECT_EQ(utf8(f.name), entry.name);
            EXPECT_EQ(utf8(*f.prototype).rfind(entry.name + "("s, 0), 0u);
            EXPECT_EQ(f.description.has_value() && !f.description->empty(), row.described);
            if (!row.steps) continue;
            const auto& step = log[stride * i + 1];
            fmx::TextUniquePtr definition;
            GetXMLDefinition(entry.id, definition);
            EXPECT_EQ(std::tie(step.kind, step.pluginId, step.id, step.name, step.description,
                               step.flags, step.callback, step.definition),
                      std::make_tuple(Kind::Step, "SKRW", entry.id, f.name, f.description, 0xFF01u,
                                      entry.callback, skrw::hostsim::unitsOf(*definition)));
        }
        // Descriptions live under the ids 350 and up.
        EXPECT_EQ(*std::max_element(gLookedUp.begin(), gLookedUp.end()) >= 350, row.described);
        send(CallRecord::kShutdown);
    }
}

TEST_F(Host, ShutdownUnregistersEveryIdFrom150To210FunctionsFirstAndStepsFrom57) {
    std::vector<std::int16_t> everyId(61);
    std::iota(everyId.begin(), everyId.end(), 150);
    for (const auto& [startup, shutdown] : {std::pair{57, 57}, {56, 56}, {0, 57}, {0, 56}}) {
        SCOPED_TRACE(std::to_string(startup) + "/" + std::to_string(shutdown));
        if (startup != 0) {
            ASSERT_EQ(send(CallRecord::kStartup, startup), 57);
        }
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
    EXPECT_EQ(m_pl, nullptr);
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

TEST_F(Host, AfterARefusedStartupShutdownUnregistersButDeletesNothing) {
    EXPECT_EQ(send(CallRecord::kStartup, 49), -1);
    send(CallRecord::kShutdown);
    EXPECT_EQ(std::tuple(gEvents.size(), countOf(Kind::UnregisterFunction)), std::tuple(0u, 61u));
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
    failHostOperation(HostOperation::RegisterFunction, 2, 4);  // the fifth: SKRW_GetBucket
    failHostOperation(HostOperation::RegisterStep, 1, 6);      // the seventh: SKRW_CreateBucket
    ASSERT_EQ(send(CallRecord::kStartup), 57);
    EXPECT_EQ(std::tuple(countOf(Kind::Function), countOf(Kind::Step)), std::tuple(12u, 12u));
    EXPECT_FALSE(active(Kind::Function, u"SKRW_GetBucket") ||
                 active(Kind::Step, u"SKRW_CreateBucket"));
    EXPECT_TRUE(m_objFuncs && active(Kind::Step, u"SKRW_GetBucket") &&
                active(Kind::Step, u"SKRW_Debug"));
    failHostOperation(HostOperation::UnregisterFunction, 2, 10);
    send(CallRecord::kShutdown);
    EXPECT_EQ(
        std::tuple(m_objFuncs, countOf(Kind::UnregisterFunction), countOf(Kind::UnregisterStep)),
        std::tuple(nullptr, 60u, 61u));
}

// 1020 ASCII units and one character outside the BMP: 1022 units in 1025 bytes of UTF-8.
const std::string k1022Units = std::string(1020, 'a') + "\xF0\x9F\x98\x80";
const std::string kStringsTable = "\"SKRW 1\" = \"" + k1022Units + "\";\n\"SKRW 2\" = \"b" +
                                  k1022Units + "\";\n" + R"x("SKRW 3" = ""; "SKRW 4" = "x";
"SKRW 7" = "seven"; "SKRW 8" = "SKRW 8"; "SKRW 150" = "A(b(c)"; "SKRW 153" = "(starts";
"SKRW 200" = "NoParenthesis"; "SKRW 201" = "Spaced (x)"; "SKRW 350" = "d150"; "SKRW 401" = "d201";
)x";

class StringTable : public Host {
  protected:
    StringTable() {
        const std::string folder = table_.path() + "/Resources/en.lproj";
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/SKRWStrings.strings") << kStringsTable;
        bundle_.folderPath = table_.path().c_str();
    }
    // The buffer of `units` units, first filled with '#', after a get-string message for `id`
    // with `capacity` as its third parameter (no buffer for 0 units).
    std::u16string getString(std::uint8_t id, std::uint64_t capacity, std::size_t units) {
        std::u16string buffer(units, u'#');
        CallRecord message = record(CallRecord::kGetString);
        message.param1 = id;
        message.param2 = ~0ull;
        message.param3 = capacity;
        message.result = units ? reinterpret_cast<std::intptr_t>(buffer.data()) : 0;
        const std::int64_t sent = message.result;
        FMExternCallProc(&message);
        EXPECT_EQ(message.result, sent);
        return buffer;
    }
    TempDir table_;
};

TEST_F(StringTable, ATextIsCopiedWithItsZeroOnlyWhenBothAndOneMoreUnitFit) {
    const std::u16string fits = std::u16string(1020, u'a') + u"\U0001F600\0#"s;
    const struct {
        std::uint8_t id;
        std::uint64_t capacity;
        std::size_t units;
        std::u16string buffer;
    } rows[] = {
        {3, 1, 1, u"#"},
        {3, 2, 2, u"\0#"s},
        {4, 2, 2, u"##"},
        {4, 3, 3, u"x\0#"s},
        {5, 8, 8, u"########"},  // a missing key
        {8, 8, 8, u"########"},  // a text equal to its key counts as missing
        {0, 8, 8, u"########"},
        {7, 8, 0, u""},            // no buffer
        {7, 8, 8, u"seven\0##"s},  // the key is the id in decimal
        {150, 8, 8, u"A(b(c)\0#"s},
        {7, 0x1'00000006, 6, u"######"},  // the capacity is the low 32 bits: 6
        {7, 0xFFFFFFFF'00000007, 7, u"seven\0#"s},
        {7, 0xFFFFFFFB, 8, u"########"},  // -5
        {1, 1024, 1024, fits},
        {2, 1024, 1024, std::u16string(1024, u'#')},
        {2, 1025, 1025, u"b" + fits},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.id) + " in " + std::to_string(row.capacity));
        EXPECT_EQ(getString(row.id, row.capacity, row.units), row.buffer);
    }
    // Without a current call record nothing is found.
    gFMX_ExternCallPtr = nullptr;
    std::u16string buffer(16, u'#');
    EXPECT_EQ(Sub_OSXLoadString(7, buffer.data(), 16), 0u);
    EXPECT_EQ(buffer, std::u16string(16, u'#'));
}

TEST_F(StringTable, NamesAreCutBeforeTheFirstParenthesisAndMissingTextsRegisterEmpty) {
    ASSERT_EQ(send(CallRecord::kStartup), 57);
    const struct {
        std::int16_t id;
        std::u16string name, prototype, description;
    } rows[] = {
        {150, u"A", u"A(b(c)", u"d150"},
        {153, u"", u"(starts", u""},
        {200, u"NoParenthesis", u"NoParenthesis", u""},
        {201, u"Spaced ", u"Spaced (x)", u"d201"},
        {202, u"", u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        const auto& log = Registry::instance().log();
        const auto e =
            std::find_if(log.begin(), log.end(), [&](const auto& e) { return e.id == row.id; });
        ASSERT_NE(e, log.end());
        EXPECT_EQ(std::tie(e->name, *e->prototype, *e->description),
                  std::tie(row.name, row.prototype, row.description));
    }
}

TEST(StepDefinitions, TwelveIdsHaveTheirsAsUtf8AndEveryOtherIdTheEmptyNativeText) {
    std::string all;  // each definition after its id
    for (int id = -1; id <= 211; ++id) {
        fmx::TextUniquePtr text;
        text->Assign("left over");
        GetXMLDefinition(static_cast<std::int16_t>(id), text);
        const std::string definition = utf8(skrw::hostsim::unitsOf(*text));
        EXPECT_EQ(lastAssignedEncoding(), definition.empty() ? 0 : 1) << id;
        if (!definition.empty()) all += std::to_string(id) + definition;
    }
    EXPECT_NE(all.find("201<pluginstep><parameter type=\"target\" label=\"Results\" "
                       "showinline=\"true\"/></pluginstep>202<"),
              std::string::npos);
    // Every byte of the definitions counts for the host: any change moves this digest.
    std::uint64_t digest = 14695981039346656037ull;
    for (const unsigned char c : all) digest = (digest ^ c) * 1099511628211ull;
    EXPECT_EQ(digest, 16133489051618145507ull) << all.size() << " bytes:\n" << all;
}

// The last word of each line that `nm -D <option>` prints for the bundle's library.
std::set<std::string> lastWords(const std::string& option) {
    std::set<std::string> words;
    std::istringstream out(
        runProcess({"/usr/bin/nm", "-D", option, SKRW_TEST_BUNDLE_DIR "/SKRW.so"}).out);
    for (std::string line; std::getline(out, line);) words.insert(line.substr(line.rfind(' ') + 1));
    return words;
}

TEST(Bundle, ExportsOnlyTheEntryPointAndTheCallRecordPointerAndLeavesTheHostOpen) {
    EXPECT_EQ(lastWords("--defined-only"),
              (std::set<std::string>{"FMExternCallProc", "gFMX_ExternCallPtr"}));
    EXPECT_EQ(lastWords("--undefined-only").count("FM_Text_AssignUnicode"), 1u);
}

}  // namespace
}  // namespace skrw::test
