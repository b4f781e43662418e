// FMWrapper's texts, values and registrations, the calculation syntax and the bundle loader.
#include <gtest/gtest.h>

#include <functional>

#include "fmx/fmx.h"
#include "hostsim/Calculation.h"
#include "hostsim/HostValues.h"
#include "hostsim/Invocation.h"
#include "hostsim/PluginLoader.h"
#include "hostsim/Registry.h"

using namespace std::string_literals;
using Kind = skrw::hostsim::RegistryEntry::Kind;

namespace {

fmx::TextUniquePtr text(const std::u16string& units) {
    fmx::TextUniquePtr out;
    out->AssignUnicode(units.c_str());
    return out;
}

// The units as UTF-8 bytes written as "\u" escapes beyond ASCII, then "8" or "16" for the origin.
std::string shown(const fmx::Text& t) {
    std::string out;
    for (char16_t u : skrw::hostsim::unitsOf(t))
        out += u < 128 ? std::string(1, char(u)) : "<" + std::to_string(u) + ">";
    return out + (skrw::hostsim::originOf(t) == skrw::hostsim::TextOrigin::Utf16 ? "/16" : "/8");
}

std::string bytes(const std::u16string& units, std::uint32_t size, std::uint32_t position,
                  std::uint32_t count, int encoding = 0) {
    std::string buffer(size + 1, '#');
    return std::to_string(text(units)->GetBytes(buffer.data(), size, position, count, encoding)) +
           ":" + buffer;
}

std::string outcome(const std::function<std::string()>& op) {
    try {
        return op();
    } catch (const fmx::GeneralFailure& failure) {
        return "failure " + std::to_string(failure.code());
    }
}

short answerSeven(short, const fmx::ExprEnv&, const fmx::DataVect&, fmx::Data&) {
    return 7;
}

}  // namespace

TEST(HostText, GetBytesFillsTheBufferWithWholeCharactersAndAZero) {
    struct Row {
        std::u16string units;
        std::uint32_t size, position, count;
        int encoding;
        std::string expected;  // the count written, ":" and the buffer, one byte more than `size`
    };
    const Row rows[] = {{u"ab\u00B6c", 4, 0, 4, 0, "2:ab\0##"s},
                        {u"ab\u00B6c", 5, 0, 4, 0, "4:ab\xC2\xB6\0#"s},
                        {u"a\U0001F600", 5, 0, 3, 0, "1:a\0####"s},
                        {u"L\u00B6\u20AC", 5, 0, 3, 4, "3:L\xB6?\0##"s},
                        {u"abc", 4, 1, 100, 0, "2:bc\0##"s},
                        {u"abc", 4, 3, 1, 0, "0:\0####"s},
                        {u"abc", 0, 0, 3, 0, "0:#"s},
                        {std::u16string{u'a', 0xD800}, 8, 0, 2, 0, "4:a\xEF\xBF\xBD\0####"s},
                        {u"abc", 16, 4, 1, 0, "failure 2"},
                        {u"abc", 16, 0, 3, 7, "failure 2"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        EXPECT_EQ(outcome([&] { return bytes(r.units, r.size, r.position, r.count, r.encoding); }),
                  r.expected);
    }
}

TEST(HostText, ChangesCountUtf16UnitsAndFailWithoutChangeOutsideTheText) {
    using Change = std::function<void(fmx::Text&)>;
    const auto hello = text(u"hello world");
    const std::tuple<std::u16string, Change, std::string> rows[] = {
        {u"k", [](fmx::Text& t) { t.Assign("\xB6x", 4); }, "<182>x/8"},
        {u"k",
         [](fmx::Text& t) {
             t.Assign(
                 "a\xFF"
                 "b\xE2\x82",
                 0);
         },
         "a<65533>b<65533><65533>/8"},
        {u"kept", [](fmx::Text& t) { t.Assign("x", 2); }, "failure 2kept/16"},
        {u"abcdef",
         [](fmx::Text& t) { t.DeleteText(0, 1), t.DeleteText(3, 100), t.DeleteText(3, 1); },
         "bcd/16"},
        {u"abc", [](fmx::Text& t) { t.DeleteText(4, 1); }, "failure 2abc/16"},
        {u"", [&](fmx::Text& t) { t.Assign(""), t.SetText(*hello, 6, 100); }, "world/16"},
        {u"hello", [](fmx::Text& t) { t.SetText(t, 1, 2); }, "el/16"},
        {u"hello", [&](fmx::Text& t) { t.SetText(*hello, 12, 1); }, "failure 2hello/16"},
        {u"abc",
         [](fmx::Text& t) {
             char16_t b[2];
             t.GetUnicode(b, 2, 2);
         },
         "failure 2abc/16"}};
    for (const auto& [initial, change, expected] : rows) {
        SCOPED_TRACE(expected);
        const auto t = text(initial);
        const auto& apply = change;  // clang 14 cannot capture a structured binding
        const std::string failure = outcome([&] { return apply(*t), ""s; });
        EXPECT_EQ(failure + shown(*t), expected);
    }
    const auto t = text(u"a\U0001F600\u00B6(b(");
    std::u16string out(3, u'#');
    t->GetUnicode(out.data(), 1, 2);
    EXPECT_EQ(std::to_string(t->GetSize()) + shown(*text(out)), "7<55357><56832>#/16");
    const auto open = text(u"(");
    EXPECT_EQ(std::to_string(t->Find(*open, 0)) + std::to_string(t->Find(*open, 5)), "46");
    EXPECT_EQ(std::to_string(t->Find(*open, 99)) + std::to_string(t->Find(*text(u"x"), 0)), "-1-1");
    FM_ErrorSlot slot{1, 0};
    EXPECT_EQ(FM_Text_Find(t.get(), nullptr, 0, &slot), -1);
    EXPECT_EQ(slot.code, 2);
}

TEST(HostValues, ResultsKeepTextLocaleTypeAndOriginAndArgumentsEndWithAFailure) {
    skrw::hostsim::Result result;
    const auto t = text(u"\u00B6 0");
    EXPECT_THROW(result.data().SetAsText(*t, result.data().GetLocale(), 2), fmx::GeneralFailure);
    EXPECT_FALSE(result.isSet());
    result.data().SetAsText(*t, *fmx::LocaleUniquePtr(1), fmx::Data::kDataTypeText);
    t->Assign("changed afterwards");
    EXPECT_EQ(result.textUtf8() + std::to_string(result.localeType() * 10 + result.dataType()),
              "\xC2\xB6 011");
    EXPECT_EQ(result.origin(), skrw::hostsim::TextOrigin::Utf16);
    skrw::hostsim::Arguments args;
    args.text(u"only");
    FM_ErrorSlot slot{1, 0};
    EXPECT_EQ(FM_DataVect_AtAsNumber(&args.vect(), 0xFFFFFFFFu, &slot), nullptr);
    EXPECT_EQ(slot.code, 2);
}

TEST(HostRegistry, StartupRegistersShutdownWithdrawsAndACallbackIsRequired) {
    auto& registry = skrw::hostsim::Registry::instance();
    skrw::hostsim::Result result;
    {
        skrw::hostsim::PluginLoader loader(ECHO_BUNDLE);
        EXPECT_EQ(loader.startup(49), -1);
        EXPECT_TRUE(registry.log().empty());
        ASSERT_EQ(loader.startup(57), 57);
        EXPECT_TRUE(skrw::hostsim::invokeByName(Kind::Step, "Echo_Utf16", {}, result).made);
        const auto reply = loader.getString(129, 64);
        EXPECT_EQ(reply.resultField, reinterpret_cast<std::intptr_t>(reply.buffer.data()));
        loader.shutdown();
        EXPECT_FALSE(skrw::hostsim::invokeByName(Kind::Function, "Echo_Utf16", {}, result).made);
        fmx::CallRecord record{};
        record.selector = 5;
        loader.send(record);
        EXPECT_EQ(std::string(record.bundle->folderPath), loader.bundleFolder());
    }
    registry.clear();
    fmx::QuadCharUniquePtr code('S', 'K', 'R', 'W');
    const auto name = text(u"Fn");
    EXPECT_THROW(fmx::ExprEnv::RegisterScriptStep(*code, 1, *name, *name, *name, 0, nullptr),
                 fmx::GeneralFailure);
    fmx::ExprEnv::RegisterExternalFunction(*code, 2, *name, *name, 0, 1, 0, answerSeven);
    EXPECT_EQ(registry.log().size(), 1u);
    EXPECT_EQ(skrw::hostsim::invokeByName(Kind::Function, "Fn", {}, result).hostError, 7);
}

TEST(CalculationSyntax, ErrorsNameTheCharacterPosition) {
    const std::pair<const char*, const char*> rows[] = {
        {R"(F("abc)", "3"}, {R"(F("¶¶"; x))", "9"}, {"F(1;)", "5"},      {"F(1", "4"},
        {"F(1) x", "6"},    {"F(1 2)", "5"},        {R"(F("\q"))", "4"}, {R"(F("\u12"))", "4"},
        {"F(-)", "4"},      {"F(3.)", "5"},         {"(1)", "1"},        {"", "1"}};
    for (const auto& [calculation, position] : rows) {
        const auto parsed = skrw::hostsim::parseCalculation(calculation);
        EXPECT_FALSE(parsed.calculation) << calculation;
        EXPECT_NE(parsed.error.find("syntax error at position "s + position + ":"),
                  std::string::npos)
            << calculation << " -> " << parsed.error;
    }
    EXPECT_NE(skrw::hostsim::parseCalculation("F(1" + std::string(6000, '0') + ")")
                  .error.find("out of range"),
              std::string::npos);
}
