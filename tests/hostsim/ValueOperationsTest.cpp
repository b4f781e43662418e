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

TEST(HostArguments, NumbersReadAsShortestDecimalText) {
    Arguments args;
    args.number(3.5).number(-12).number(4294967297.0L).number(0.1L).number(-0.0L).number(1e20L);
    EXPECT_EQ(args.vect().Size(), 6u);
    EXPECT_EQ(textAt(args, 0), u"3.5");
    EXPECT_EQ(textAt(args, 1), u"-12");
    EXPECT_EQ(textAt(args, 2), u"4294967297");
    EXPECT_EQ(textAt(args, 3), u"0.1");
    EXPECT_EQ(textAt(args, 4), u"0");
    EXPECT_EQ(textAt(args, 5), u"100000000000000000000");
}

TEST(HostArguments, LargeAndTinyNumbersReadAsPlainDecimalsWithoutBinaryNoise) {
    Arguments args;
    args.number(1e300L).number(-0.000125L).number(1e-30L).number(123456789012345678901234567890.0L);
    EXPECT_EQ(textAt(args, 0), u"1" + std::u16string(300, u'0'));
    EXPECT_EQ(textAt(args, 1), u"-0.000125");
    EXPECT_EQ(textAt(args, 2), u"0." + std::u16string(29, u'0') + u"1");
    EXPECT_EQ(textAt(args, 3), u"123456789012345678900000000000");
}

TEST(HostArguments, TextsReadAsTheDecimalNumberAtTheirStart) {
    Arguments args;
    args.text(u"  42.9xyz")
        .text(u"abc")
        .text(u"-7")
        .text(u"")
        .text(u"+8")
        .text(u"-3.99.5")
        .text(u"4294967297");
    EXPECT_EQ(longAt(args, 0), 42);
    EXPECT_EQ(longAt(args, 1), 0);
    EXPECT_EQ(longAt(args, 2), -7);
    EXPECT_EQ(longAt(args, 3), 0);
    EXPECT_EQ(longAt(args, 4), 8);
    EXPECT_EQ(longAt(args, 5), -3);
    EXPECT_EQ(longAt(args, 6), 4294967297);
}

TEST(HostNumbers, AsLongTruncatesTowardZeroAndSaturates) {
    Arguments args;
    args.number(3.99)
        .number(-3.99)
        .number(1e30L)
        .number(-1e30L)
        .number(9223372036854775807.0L)
        .text(u"99999999999999999999999999");
    EXPECT_EQ(longAt(args, 0), 3);
    EXPECT_EQ(longAt(args, 1), -3);
    EXPECT_EQ(longAt(args, 2), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(longAt(args, 3), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(longAt(args, 4), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(longAt(args, 5), std::numeric_limits<std::int64_t>::max());
}

TEST(HostArguments, TextsArriveUnitForUnit) {
    Arguments args;
    const std::u16string odd = u"\"q\"\\\n\u00B6\U0001F600";
    args.text(odd).text(u"").textUtf8("\xC2\xB6");
    EXPECT_EQ(textAt(args, 0), odd);
    EXPECT_EQ(args.vect().AtAsText(1).GetSize(), 0u);
    EXPECT_EQ(textAt(args, 2), u"\u00B6");
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

TEST(HostResult, KeepsTextLocaleDataTypeAndTheEightBitPath) {
    Result result;
    EXPECT_FALSE(result.isSet());
    fmx::TextUniquePtr text;
    text->Assign("\xC2\xB6 0");
    fmx::LocaleUniquePtr locale(1);
    result.data().SetAsText(*text, *locale, fmx::Data::kDataTypeText);
    text->Assign("changed afterwards");
    EXPECT_TRUE(result.isSet());
    EXPECT_EQ(result.textUtf8(), "\xC2\xB6 0");
    EXPECT_EQ(result.origin(), TextOrigin::EightBit);
    EXPECT_EQ(result.localeType(), 1);
    EXPECT_EQ(result.dataType(), 1);
}

TEST(HostResult, UnicodePathWithTheResultsOwnLocale) {
    Result result;
    fmx::TextAutoPtr text;
    text->AssignUnicode(u"line1\nline2");
    result.data().SetAsText(*text, result.data().GetLocale(), fmx::Data::kDataTypeText);
    EXPECT_EQ(result.text(), u"line1\nline2");
    EXPECT_EQ(result.origin(), TextOrigin::Utf16);
    EXPECT_EQ(result.localeType(), 1);
}

TEST(HostResult, DataTypeOtherThanTextFailsAndLeavesTheResult) {
    Result result;
    fmx::TextUniquePtr text;
    text->Assign("x");
    EXPECT_THROW(result.data().SetAsText(*text, result.data().GetLocale(), 2), fmx::GeneralFailure);
    EXPECT_FALSE(result.isSet());
    EXPECT_EQ(result.text(), u"");
}

short answerSeven(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    fmx::TextUniquePtr text;
    text->SetText(args.AtAsText(0), 0, args.AtAsText(0).GetSize());
    result.SetAsText(*text, result.GetLocale(), fmx::Data::kDataTypeText);
    return 7;
}

TEST(HostInvoke, CallsTheCallbackWithTheArgumentsAndResult) {
    Arguments args;
    args.text(u"echo");
    Result result;
    EXPECT_EQ(hostsim::invoke(answerSeven, 5, args, result), 7);
    EXPECT_EQ(result.text(), u"echo");
}

TEST(HostRegistry, RecordsEveryCallInOrderWithItsFields) {
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
    EXPECT_EQ(log[0].name, u"Fn");
    EXPECT_EQ(log[0].prototype, u"Fn(a)");
    EXPECT_EQ(log[0].description, u"does");
    EXPECT_EQ(log[0].minArgs, 0);
    EXPECT_EQ(log[0].maxArgs, 1);
    EXPECT_EQ(log[0].flags, 0xFF01u);
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
    registry.clear();
}

TEST(HostRegistry, RegistrationWithoutACallbackIsAGeneralFailure) {
    auto& registry = hostsim::Registry::instance();
    registry.clear();
    fmx::QuadCharUniquePtr code('S', 'K', 'R', 'W');
    fmx::TextUniquePtr name;
    EXPECT_THROW(fmx::ExprEnv::RegisterScriptStep(*code, 1, *name, *name, *name, 0, nullptr),
                 fmx::GeneralFailure);
    EXPECT_TRUE(registry.log().empty());
}

}  // namespace
