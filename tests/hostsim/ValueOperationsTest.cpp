// FMWrapper's arguments, numbers, results and registration records.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "fmx/fmx.h"
#include "hostsim/HostValues.h"
#include "hostsim/Registry.h"

namespace {

using hostsim::Arguments;
using hostsim::Result;
using hostsim::TextOrigin;

std::u16string textAt(const Arguments& args, std::uint32_t i) {
    return hostsim::unitsOf(args.vect().AtAsText(i));
}

std::int64_t longAt(const Arguments& args, std::uint32_t i) {
    return args.vect().AtAsNumber(i).AsLong();
}

TEST(HostArguments, NumbersReadAsPlainShortestDecimalText) {
    const std::pair<long double, std::u16string> rows[] = {
        {3.5, u"3.5"},
        {-12, u"-12"},
        {4294967297.0L, u"4294967297"},
        {0.1L, u"0.1"},
        {-0.0L, u"0"},
        {1e20L, u"100000000000000000000"},
        {1e300L, u"1" + std::u16string(300, u'0')},
        {-0.000125L, u"-0.000125"},
        {1e-30L, u"0." + std::u16string(29, u'0') + u"1"},
        {123456789012345678901234567890.0L, u"123456789012345678900000000000"}};
    for (const auto& [number, text] : rows) {
        Arguments args;
        args.number(number);
        EXPECT_EQ(textAt(args, 0), text) << static_cast<double>(number);
    }
}

TEST(HostNumbers, AsLongReadsTextsTruncatesTowardZeroAndSaturates) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const std::pair<std::u16string, std::int64_t> texts[] = {{u"  42.9xyz", 42},
                                                             {u"abc", 0},
                                                             {u"-7", -7},
                                                             {u"", 0},
                                                             {u"+8", 8},
                                                             {u"-3.99.5", -3},
                                                             {u"4294967297", 4294967297},
                                                             {u"99999999999999999999999999", kMax}};
    for (const auto& [text, expected] : texts) {
        Arguments args;
        args.text(text);
        EXPECT_EQ(longAt(args, 0), expected);
    }
    const std::pair<long double, std::int64_t> numbers[] = {
        {3.99, 3}, {-3.99, -3}, {1e30L, kMax}, {-1e30L, kMin}, {9223372036854775807.0L, kMax}};
    for (const auto& [number, expected] : numbers) {
        Arguments args;
        args.number(number);
        EXPECT_EQ(longAt(args, 0), expected) << static_cast<double>(number);
    }
}

TEST(HostArguments, IndexPastTheEndIsAGeneralFailureInTheErrorSlot) {
    Arguments args;
    args.text(u"only");
    EXPECT_THROW(args.vect().AtAsText(1), fmx::GeneralFailure);
    EXPECT_THROW(args.vect().AtAsNumber(1), fmx::GeneralFailure);
    FM_ErrorSlot slot{1, 0};
    EXPECT_EQ(FM_DataVect_AtAsText(&args.vect(), 1, &slot), nullptr);
    EXPECT_EQ(slot.code, 2);
    slot = {1, 0};
    EXPECT_EQ(FM_DataVect_AtAsNumber(&args.vect(), 0xFFFFFFFFu, &slot), nullptr);
    EXPECT_EQ(slot.code, 2);
    slot = {1, 0};
    EXPECT_NE(FM_DataVect_AtAsText(&args.vect(), 0, &slot), nullptr);
    EXPECT_EQ(slot.code, 0);
}

TEST(HostResult, KeepsTextLocaleDataTypeAndTheEncodingPath) {
    Result result;
    EXPECT_FALSE(result.isSet());
    fmx::TextUniquePtr text;
    text->Assign("x");
    EXPECT_THROW(result.data().SetAsText(*text, result.data().GetLocale(), 2), fmx::GeneralFailure);
    EXPECT_FALSE(result.isSet());
    EXPECT_EQ(result.text(), u"");

    text->Assign("\xC2\xB6 0");
    fmx::LocaleUniquePtr locale(1);
    result.data().SetAsText(*text, *locale, fmx::Data::kDataTypeText);
    text->Assign("changed afterwards");
    EXPECT_TRUE(result.isSet());
    EXPECT_EQ(result.textUtf8(), "\xC2\xB6 0");
    EXPECT_EQ(result.origin(), TextOrigin::EightBit);
    EXPECT_EQ(result.localeType(), 1);
    EXPECT_EQ(result.dataType(), 1);

    text->AssignUnicode(u"line1\nline2");
    result.data().SetAsText(*text, result.data().GetLocale(), fmx::Data::kDataTypeText);
    EXPECT_EQ(result.text(), u"line1\nline2");
    EXPECT_EQ(result.origin(), TextOrigin::Utf16);
}

short answerSeven(short, const fmx::ExprEnv&, const fmx::DataVect&, fmx::Data&) {
    return 7;
}

TEST(HostRegistry, RecordsEveryCallInOrderAndRefusesAMissingCallback) {
    auto& registry = hostsim::Registry::instance();
    registry.clear();
    fmx::QuadCharUniquePtr code('S', 'K', 'R', 'W');
    fmx::TextUniquePtr name, prototype, description, definition;
    name->Assign("Fn");
    prototype->Assign("Fn(a)");
    description->Assign("does");
    definition->Assign("<pluginstep/>", 1);
    EXPECT_EQ(fmx::ExprEnv::RegisterExternalFunctionEx(*code, 150, *name, *prototype, *description,
                                                       0, 1, 0xFF01, answerSeven),
              0);
    fmx::ExprEnv::RegisterScriptStep(*code, 150, *name, *definition, *description, 0xFF01,
                                     answerSeven);
    fmx::ExprEnv::RegisterExternalFunction(*code, 151, *name, *prototype, 2, 3, 5, answerSeven);
    fmx::ExprEnv::UnRegisterExternalFunction(*code, 151);
    fmx::ExprEnv::UnRegisterScriptStep(*code, 150);

    const auto& log = registry.log();
    ASSERT_EQ(log.size(), 5u);
    using Kind = hostsim::RegistryEntry::Kind;
    EXPECT_EQ(log[0].kind, Kind::Function);
    EXPECT_EQ(log[0].operation, "FM_ExprEnv_RegisterExternalFunctionEx");
    EXPECT_EQ(log[0].pluginId, "SKRW");
    EXPECT_EQ(log[0].id, 150);
    EXPECT_EQ(log[1].kind, Kind::Step);
    EXPECT_EQ(log[1].definition, u"<pluginstep/>");
    EXPECT_FALSE(log[1].prototype.has_value());
    EXPECT_EQ(log[2].operation, "FM_ExprEnv_RegisterExternalFunction");
    EXPECT_FALSE(log[2].description.has_value());
    EXPECT_EQ(log[3].kind, Kind::UnregisterFunction);
    EXPECT_EQ(log[3].id, 151);
    EXPECT_EQ(log[4].kind, Kind::UnregisterStep);

    // What is still callable: function 150 only.
    EXPECT_NE(registry.find(Kind::Function, u"Fn"), nullptr);
    EXPECT_EQ(registry.find(Kind::Function, u"Fn")->id, 150);
    EXPECT_EQ(registry.find(Kind::Step, u"Fn"), nullptr);

    // A registration without a callback fails and records nothing.
    registry.clear();
    EXPECT_THROW(fmx::ExprEnv::RegisterScriptStep(*code, 1, *name, *name, *name, 0, nullptr),
                 fmx::GeneralFailure);
    EXPECT_TRUE(registry.log().empty());
}

}  // namespace
