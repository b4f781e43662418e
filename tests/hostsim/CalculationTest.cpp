// pluginhost's calculation syntax.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "hostsim/Calculation.h"

namespace {

using hostsim::parseCalculation;

std::u16string textArg(const hostsim::Calculation& c, std::size_t i) {
    return std::get<std::u16string>(c.arguments.at(i).value);
}

long double numberArg(const hostsim::Calculation& c, std::size_t i) {
    return std::get<long double>(c.arguments.at(i).value);
}

TEST(CalculationSyntax, NameAloneOrWithEmptyParenthesesHasNoArguments) {
    for (const char* text : {"SKRW_Debug", "SKRW_Debug()", "  SKRW_Debug ( )  "}) {
        const auto parsed = parseCalculation(text);
        ASSERT_TRUE(parsed.calculation) << text << ": " << parsed.error;
        EXPECT_EQ(parsed.calculation->name, "SKRW_Debug");
        EXPECT_TRUE(parsed.calculation->arguments.empty());
    }
}

TEST(CalculationSyntax, TextsKeepJsonEscapesNonAsciiAndEmptiness) {
    const auto parsed =
        parseCalculation(R"(F("a\"b\\c\n\t\/"; "¶ é"; ""; "\u00b6\ud83d\ude00"; "x;y)z"))");
    ASSERT_TRUE(parsed.calculation) << parsed.error;
    const auto& c = *parsed.calculation;
    ASSERT_EQ(c.arguments.size(), 5u);
    EXPECT_EQ(textArg(c, 0), u"a\"b\\c\n\t/");
    EXPECT_EQ(textArg(c, 1), u"\u00B6 \u00E9");
    EXPECT_EQ(textArg(c, 2), u"");
    EXPECT_EQ(textArg(c, 3), u"\u00B6\U0001F600");
    EXPECT_EQ(textArg(c, 4), u"x;y)z");
}

TEST(CalculationSyntax, NumbersNegativeFractionalAndBeyond32Bits) {
    const auto parsed = parseCalculation("F(-12; 3.5; 4294967297; 0; 1e3)");
    ASSERT_TRUE(parsed.calculation) << parsed.error;
    const auto& c = *parsed.calculation;
    EXPECT_EQ(numberArg(c, 0), -12);
    EXPECT_EQ(numberArg(c, 1), 3.5);
    EXPECT_EQ(numberArg(c, 2), 4294967297.0L);
    EXPECT_EQ(numberArg(c, 3), 0);
    EXPECT_EQ(numberArg(c, 4), 1000);
}

void expectError(const char* text, const std::string& position, const std::string& name) {
    const auto parsed = parseCalculation(text);
    EXPECT_FALSE(parsed.calculation) << text;
    EXPECT_NE(parsed.error.find("syntax error at position " + position + ":"), std::string::npos)
        << text << " -> " << parsed.error;
    EXPECT_EQ(parsed.name, name) << text;
}

TEST(CalculationSyntax, ErrorsNameTheCharacterPosition) {
    expectError(R"(F("abc)", "3", "F");      // unterminated: at the opening quote
    expectError(R"(F("¶¶"; x))", "9", "F");  // characters, not bytes, are counted
    expectError("F(1;)", "5", "F");          // empty argument
    expectError("F(1", "4", "F");            // no closing parenthesis
    expectError("F(1) x", "6", "F");         // trailing text
    expectError("F(1 2)", "5", "F");         // missing separator
    expectError(R"(F("\q"))", "4", "F");     // unknown escape
    expectError(R"(F("\u12"))", "4", "F");   // short \u escape
    expectError("F(-)", "4", "F");           // sign without digits
    expectError("F(3.)", "5", "F");          // point without digits
    expectError("(1)", "1", "(1)");          // no name
    expectError("", "1", "");
}

TEST(CalculationSyntax, NumberOutOfRangeIsAnErrorNotInfinity) {
    const std::string huge = "F(1" + std::string(6000, '0') + ")";
    const auto parsed = parseCalculation(huge);
    EXPECT_FALSE(parsed.calculation);
    EXPECT_NE(parsed.error.find("out of range"), std::string::npos);
}

}  // namespace
