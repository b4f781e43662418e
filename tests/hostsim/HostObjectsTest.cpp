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
using namespace skrw::hostsim;

namespace {

fmx::TextUniquePtr text(const std::u16string& units) {
    fmx::TextUniquePtr out;
    out->AssignUnicode(units.c_str());
    return out;
}

// The units, those beyond ASCII as "<number>", then "/8" or "/16" for how they came in.
std::string shown(const fmx::Text& t) {
    std::string out;
    for (char16_t u : unitsOf(t))
        out += u < 128 ? std::string(1, char(u)) : "<" + std::to_string(u) + ">";
    return out + (originOf(t) == TextOrigin::Utf16 ? "/16" : "/8");
}

// What `op` answers, or "failure " and the host error code it raised.
std::string outcome(const std::function<std::string()>& op) {
    try {
        return op();
    } catch (const fmx::GeneralFailure& failure) {
        return "failure " + std::to_string(failure.code());
    }
}

}  // namespace

TEST(HostText, GetBytesFillsTheBufferWithWholeCharactersAndAZero) {
    // The count written, ":" and the buffer, one byte more than `size`.
    const std::tuple<std::u16string, std::uint32_t, std::uint32_t, std::uint32_t, int, std::string>
        rows[] = {{u"ab\u00B6c", 4, 0, 4, 0, "2:ab\0##"s},
                  {u"ab\u00B6c", 5, 0, 4, 0, "4:ab\xC2\xB6\0#"s},
                  {u"a\U0001F600", 5, 0, 3, 0, "1:a\0####"s},
                  {u"L\u00B6\u20AC", 5, 0, 3, 4, "3:L\xB6?\0##"s},
                  {u"abc", 4, 1, 100, 0, "2:bc\0##"s},
                  {u"abc", 4, 3, 1, 0, "0:\0####"s},
                  {u"abc", 0, 0, 3, 0, "0:#"s},
                  {std::u16string{u'a', 0xD800}, 8, 0, 2, 0, "4:a\xEF\xBF\xBD\0####"s},
                  {u"abc", 16, 4, 1, 0, "failure 2"},
                  {u"abc", 16, 0, 3, 7, "failure 2"}};
    for (const auto& row : rows) {
        const auto& [units, size, position, count, encoding, expected] = row;
        SCOPED_TRACE("row " + std::to_string(&row - rows));
        std::string buffer(size + 1, '#');
        const auto t = text(units);
        const std::string written = outcome([&, s = size, p = position, c = count, e = encoding] {
            return std::to_string(t->GetBytes(buffer.data(), s, p, c, e));
        });
        EXPECT_EQ(written.starts_with("failure") ? written : written + ":" + buffer, expected);
    }
}

TEST(HostText, OperationsCountUtf16UnitsAndFailWithoutChangeOutsideTheText) {
    using Change = std::function<std::string(fmx::Text&)>;  // its answer, then the text is shown
    const auto hello = text(u"hello world"), open = text(u"(");
    const std::tuple<std::u16string, Change, std::string> rows[] = {
        {u"k", [](fmx::Text& t) { return t.Assign("\xB6x", 4), ""; }, "<182>x/8"},
        {u"k",
         [](fmx::Text& t) {
             return t.Assign(
                        "a\xFF"
                        "b\xE2\x82",
                        0),
                    "";
         },
         "a<65533>b<65533><65533>/8"},
        {u"kept", [](fmx::Text& t) { return t.Assign("x", 2), ""; }, "failure 2kept/16"},
        {u"abcdef",
         [](fmx::Text& t) {
             return t.DeleteText(0, 1), t.DeleteText(3, 100), t.DeleteText(3, 1), "";
         },
         "bcd/16"},
        {u"abc", [](fmx::Text& t) { return t.DeleteText(4, 1), ""; }, "failure 2abc/16"},
        {u"", [&](fmx::Text& t) { return t.Assign(""), t.SetText(*hello, 6, 100), ""; },
         "world/16"},
        {u"hello", [](fmx::Text& t) { return t.SetText(t, 1, 2), ""; }, "el/16"},
        {u"hello", [&](fmx::Text& t) { return t.SetText(*hello, 12, 1), ""; }, "failure 2hello/16"},
        {u"abc",
         [](fmx::Text& t) {
             char16_t b[2];
             return t.GetUnicode(b, 2, 2), "";
         },
         "failure 2abc/16"},
        {u"a\U0001F600\u00B6",
         [](fmx::Text& t) {
             std::u16string out(3, u'#');
             t.GetUnicode(out.data(), 1, 2);
             return std::to_string(t.GetSize()) + shown(*text(out));
         },
         "4<55357><56832>#/16a<55357><56832><182>/16"},
        {u"a(b(",
         [&](fmx::Text& t) {
             return std::to_string(t.Find(*open, 0)) + std::to_string(t.Find(*open, 2)) +
                    std::to_string(t.Find(*open, 9)) + std::to_string(t.Find(*text(u"x"), 0));
         },
         "13-1-1a(b(/16"}};
    for (const auto& row : rows) {
        const auto& [initial, change, expected] = row;
        SCOPED_TRACE("row " + std::to_string(&row - rows) + ", ending " + expected);
        const auto t = text(initial);
        const auto& apply = change;  // clang 14 cannot capture a structured binding
        const std::string answer = outcome([&] { return apply(*t); });
        EXPECT_EQ(answer + shown(*t), expected);
    }
    FM_ErrorSlot slot{1, 0};
    EXPECT_TRUE(FM_Text_Find(hello.get(), nullptr, 0, &slot) == -1 && slot.code == 2);
}

TEST(HostValues, ResultsKeepTextLocaleTypeAndOriginAndArgumentsEndWithAFailure) {
    Result result;
    const auto t = text(u"\u00B6 0");
    EXPECT_THROW(result.data().SetAsText(*t, result.data().GetLocale(), 2), fmx::GeneralFailure);
    EXPECT_FALSE(result.isSet());
    result.data().SetAsText(*t, *fmx::LocaleUniquePtr(1), fmx::Data::kDataTypeText);
    t->Assign("changed afterwards");
    EXPECT_EQ(result.textUtf8() + std::to_string(result.localeType() * 10 + result.dataType()),
              "\xC2\xB6 011");
    EXPECT_EQ(result.origin(), TextOrigin::Utf16);
    FM_ErrorSlot slot{1, 0};
    const Arguments only = Arguments().text(u"only");
    EXPECT_TRUE(FM_DataVect_AtAsNumber(&only.vect(), 1, &slot) == nullptr && slot.code == 2);
}

TEST(HostRegistry, StartupRegistersShutdownWithdrawsAndACallbackIsRequired) {
    Result result;
    PluginLoader loader(ECHO_BUNDLE);
    ASSERT_EQ(loader.startup(57), 57);
    loader.shutdown();
    EXPECT_FALSE(invokeByName(RegistryEntry::Kind::Function, "Echo_Utf16", {}, result).made);
    fmx::CallRecord record{};
    record.selector = 5;
    loader.send(record);
    EXPECT_EQ(std::string(record.bundle->folderPath), loader.bundleFolder());
    fmx::QuadCharUniquePtr code('S', 'K', 'R', 'W');
    const auto name = text(u"Fn");
    EXPECT_THROW(fmx::ExprEnv::RegisterScriptStep(*code, 1, *name, *name, *name, 0, nullptr),
                 fmx::GeneralFailure);
}

TEST(CalculationSyntax, ErrorsNameTheCharacterPosition) {
    const std::pair<std::string, const char*> rows[] = {
        {R"(F("abc)", "3"},
        {R"(F("¶¶"; x))", "9"},
        {"F(1;)", "5"},
        {"F(1", "4"},
        {"F(1) x", "6"},
        {"F(1 2)", "5"},
        {R"(F("\q"))", "4"},
        {R"(F("\u12"))", "4"},
        {"F(-)", "4"},
        {"F(3.)", "5"},
        {"(1)", "1"},
        {"", "1"},
        {"F(1" + std::string(6000, '0') + ")", "3: number out of range"}};
    for (const auto& [calculation, position] : rows) {
        const auto parsed = parseCalculation(calculation);
        EXPECT_TRUE(!parsed.calculation &&
                    parsed.error.find("syntax error at position "s + position) != std::string::npos)
            << calculation << " -> " << parsed.error;
    }
}
