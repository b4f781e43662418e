#include <gtest/gtest.h>

#include <climits>

#include "platform/String.h"

using platform::String;

namespace {

String u8(std::string_view text) {
    return String::fromUtf8(text);
}

std::vector<std::string> texts(const std::vector<String>& pieces) {
    std::vector<std::string> out;
    for (const String& piece : pieces) out.push_back(piece.isNull() ? "<null>" : piece.utf8());
    return out;
}

const std::string kReplacement = "\xEF\xBF\xBD";

}  // namespace

TEST(StringNullAndEmpty, AreDistinctValuesThatOperationsKeepApart) {
    const String null;
    const String empty = u8("");
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(null.isEmpty());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(null == empty);
    EXPECT_FALSE(empty == null);
    EXPECT_TRUE(null == String::null());
    EXPECT_TRUE(empty == String::fromUtf16(u""));
    EXPECT_TRUE(String::fromUtf16(nullptr, 0).isEmpty());
    EXPECT_TRUE(empty.uppercaseString().isEmpty());
    EXPECT_TRUE(empty.lowercaseString().isEmpty());

    EXPECT_TRUE(null.lowercaseString().isNull());
    EXPECT_TRUE(null.uppercaseString().isNull());
    EXPECT_TRUE(null.stringByAppendingString(u8("x")).isNull());
    EXPECT_TRUE(null.stringByReplacingOccurrencesOfString(u8("a"), u8("b")).isNull());
    EXPECT_TRUE(null.stringByExpandingTildeInPath().isNull());
    EXPECT_TRUE(null.stringByDeletingLastPathComponent().isNull());
    EXPECT_TRUE(null.componentsSeparatedByString(u8(";")).empty());
    EXPECT_EQ(null.length(), 0u);
    EXPECT_EQ(null.characterAtIndex(0), 0);
    EXPECT_EQ(null.utf8(), "");
    EXPECT_EQ(null.integerValue(), 0);
    EXPECT_FALSE(null.boolValue());
    EXPECT_FALSE(null.containsString(u8("")));
}

TEST(StringEncoding, Utf16RoundTripWithSupplementaryCharactersAndNul) {
    const std::u16string units = u"a\u00e9\u4e2d\U0001F600z";
    const String s = String::fromUtf16(units);
    EXPECT_EQ(s.utf8(), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    EXPECT_EQ(s.utf16(), units);
    EXPECT_EQ(s.length(), 6u);  // the emoji takes two UTF-16 units
    EXPECT_EQ(s.characterAtIndex(3), 0xD83D);
    EXPECT_EQ(s.characterAtIndex(4), 0xDE00);
    EXPECT_EQ(s.characterAtIndex(6), 0);

    const char16_t withNul[] = {u'a', 0, u'b'};
    EXPECT_EQ(String::fromUtf16(withNul, 3).utf8(), std::string("a\0b", 3));
    EXPECT_EQ(u8(std::string_view("x\0y", 3)).utf16(), std::u16string(u"x\0y", 3));
    EXPECT_FALSE(String::fromUtf16(withNul, 3) == u8("a"));
    EXPECT_EQ(String::fromInteger(LLONG_MIN).utf8(), "-9223372036854775808");
}

TEST(StringEncoding, LoneSurrogatesAndInvalidUtf8BecomeReplacementCharacters) {
    const std::pair<std::u16string, std::string> utf16[] = {
        {{u'a', 0xDC00, 0xD800, u'b'}, "a" + kReplacement + kReplacement + "b"},
        {{u'x', 0xD83D}, "x" + kReplacement},
        {{0xD83D, u'y'}, kReplacement + "y"}};
    for (const auto& [units, expected] : utf16) {
        EXPECT_EQ(String::fromUtf16(units.data(), units.size()).utf8(), expected) << expected;
    }
    auto times = [](int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += kReplacement;
        return out;
    };
    // One replacement per bad sequence: truncated, stray continuation byte,
    // overlong "/", encoded surrogate, beyond U+10FFFF; valid text untouched.
    const std::pair<std::string, std::string> utf8[] = {
        {"a\xE4\xB8z", "a" + kReplacement + "z"},
        {"\x80q", times(1) + "q"},
        {"\xC0\xAF", times(2)},
        {"\xED\xA0\x80", times(3)},
        {"\xF4\x90\x80\x80", times(4)},
        {"ok \xF0\x9F\x98\x80", "ok \xF0\x9F\x98\x80"}};
    for (const auto& [bytes, expected] : utf8) EXPECT_EQ(u8(bytes).utf8(), expected) << bytes;
}

TEST(StringComparison, IsExactAndCaseSensitive) {
    EXPECT_TRUE(u8("region") == u8("region"));
    EXPECT_FALSE(u8("Region") == u8("region"));
    EXPECT_FALSE(u8("region ") == u8("region"));
    // Precomposed and decomposed forms are different texts.
    EXPECT_FALSE(u8("\xC3\xA9") == u8("e\xCC\x81"));
}

TEST(StringCaseMapping, MapsUnicodeLettersAndKeepsEverythingElse) {
    struct Row {
        std::string input;
        bool upper;
        std::string expected;
    };
    const Row rows[] = {
        {"\xC3\x89T\xC3\x89 \xD0\x96", false, "\xC3\xA9t\xC3\xA9 \xD0\xB6"},  // ÉTÉ Ж
        {"stra\xC3\x9F"
         "e \xCF\x83",
         true, "STRASSE \xCE\xA3"},                       // straße σ
        {"\xEF\xAC\x81le", true, "FILE"},                 // ﬁle
        {"\xF0\x90\x90\x80", false, "\xF0\x90\x90\xA8"},  // Deseret, outside the BMP
        {"\xC4\xB0", false, "i\xCC\x87"},                 // İ
        {"  Region=EU-West-1;x ", false, "  region=eu-west-1;x "},
        {std::string("a\0b", 3), true, std::string("A\0B", 3)},
        {"123 \xE4\xB8\xAD", true, "123 \xE4\xB8\xAD"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const String s = u8(row.input);
        EXPECT_EQ((row.upper ? s.uppercaseString() : s.lowercaseString()).utf8(), row.expected);
    }
}

TEST(StringSplit, KeepsEmptyPiecesAndWorksOnNonAsciiSeparators) {
    struct Row {
        std::string text, separator;
        std::vector<std::string> pieces;
    };
    const Row rows[] = {{"", ";", {""}},
                        {";;", ";", {"", "", ""}},
                        {"a=1;region=x;", ";", {"a=1", "region=x", ""}},
                        {"no separator", ";", {"no separator"}},
                        {"\xC3\xA9=\xE2\x82\xAC;\xF0\x9F\x98\x80",
                         ";",
                         {"\xC3\xA9=\xE2\x82\xAC", "\xF0\x9F\x98\x80"}},
                        {"a\xE2\x80\xA2"
                         "b\xE2\x80\xA2",
                         "\xE2\x80\xA2",
                         {"a", "b", ""}},
                        {"a==b", "==", {"a", "b"}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(texts(u8(row.text).componentsSeparatedByString(u8(row.separator))), row.pieces);
    }
}

TEST(StringSearchAndReplace, AreLiteralAndReachEveryOccurrence) {
    EXPECT_TRUE(u8("/Users/u/Volumes/x").containsString(u8("/Volumes/")));
    EXPECT_FALSE(u8("/volumes/x").containsString(u8("/Volumes/")));
    EXPECT_FALSE(u8("/Volumes").containsString(u8("/Volumes/")));
    EXPECT_FALSE(u8("abc").containsString(String()));

    EXPECT_EQ(u8("/a/b/a/b/c").stringByReplacingOccurrencesOfString(u8("/a/b/"), u8("")).utf8(),
              "a/b/c");
    EXPECT_EQ(u8("aaa").stringByReplacingOccurrencesOfString(u8("a"), u8("bb")).utf8(), "bbbbbb");
    EXPECT_EQ(u8("abc").stringByReplacingOccurrencesOfString(u8(""), u8("x")).utf8(), "abc");
    EXPECT_EQ(u8("x").stringByAppendingString(String()).utf8(), "x");
}
