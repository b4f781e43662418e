#include <gtest/gtest.h>

#include "platform/StringsFileParser.h"

using platform::parseStringsFile;
using platform::StringTable;

namespace {

StringTable parsed(std::string_view text) {
    auto table = parseStringsFile(text);
    EXPECT_TRUE(table.has_value()) << text;
    return table.value_or(StringTable{});
}

}  // namespace

TEST(StringsFile, ReadsEntriesBetweenCommentsAndWhiteSpace) {
    const StringTable table = parsed(
        "\xEF\xBB\xBF/* Names and prototypes */\n"
        "\"SKRW 150\" = \"SKRW_Version( {versionType} )\";\n"
        "// a line comment\n"
        "\"SKRW 128\"\t=\"Skerrow\" ; /* trailing */\r\n"
        "\"self\";\n"
        "\"k\xC3\xA9y\" = \"line1\nline2 \xE4\xB8\xAD\"; \"twice\" = \"1\"; \"twice\" = \"2\";");
    EXPECT_EQ(table.size(), 5u);
    EXPECT_EQ(table.at("SKRW 150"), "SKRW_Version( {versionType} )");
    EXPECT_EQ(table.at("SKRW 128"), "Skerrow");
    EXPECT_EQ(table.at("self"), "self");
    EXPECT_EQ(table.at("k\xC3\xA9y"), "line1\nline2 \xE4\xB8\xAD");
    EXPECT_EQ(table.at("twice"), "2");
    EXPECT_TRUE(parsed("").empty());
    EXPECT_TRUE(parsed("  /* nothing */ // here").empty());
}

TEST(StringsFile, DecodesEscapes) {
    const StringTable table =
        parsed(R"("k" = "quote \" backslash \\ nl \n tab \t cr \r slash \/ apos \'";)"
               R"("u" = "\u00e9\U20AC";)"
               R"("pair" = "\ud83d\ude00";)"
               R"("lone" = "a\ud800b\udc00";)"
               R"("nul" = "x\u0000y";)");
    EXPECT_EQ(table.at("k"), "quote \" backslash \\ nl \n tab \t cr \r slash / apos '");
    EXPECT_EQ(table.at("u"), "\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(table.at("pair"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(table.at("lone"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(table.at("nul"), std::string("x\0y", 3));
}

TEST(StringsFile, MalformedTextIsRefused) {
    for (std::string_view text : {
             R"("a" = "1")",           // no ";"
             R"("a" "1";)",            // no "="
             R"("a" = "1;)",           // unterminated string
             R"("a" = "1"; /* open)",  // unterminated comment
             R"(a = "1";)",            // unquoted key
             R"("a" = "\x";)",         // unknown escape
             R"("a" = "\u12";)",       // short unicode escape
             R"("a" = "\u12G4";)",     // bad hex digit
             R"("a" = "1";;)",         // stray ";"
             "\"a\" = \"\xC3\";",      // invalid UTF-8
             "\xFF\xFE\"\0a\0\"\0",    // UTF-16 text
         }) {
        EXPECT_FALSE(parseStringsFile(text).has_value()) << text;
    }
}
