#include <gtest/gtest.h>

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

}  // namespace

TEST(StringNullAndEmpty, AreDistinctValues) {
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
}

TEST(StringNullAndEmpty, EmptyUtf16BufferGivesEmptyNotNull) {
    EXPECT_TRUE(String::fromUtf16(nullptr, 0).isEmpty());
}

TEST(StringNullAndEmpty, OperationsOnNullAnswerNullOrNothing) {
    const String null;
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

TEST(StringNullAndEmpty, CaseMappingKeepsEmptyNotNull) {
    EXPECT_TRUE(u8("").uppercaseString().isEmpty());
    EXPECT_TRUE(u8("").lowercaseString().isEmpty());
}

TEST(StringEncoding, Utf16RoundTripWithSupplementaryCharacters) {
    const std::u16string units = u"a\u00e9\u4e2d\U0001F600z";
    const String s = String::fromUtf16(units);
    EXPECT_EQ(s.utf8(), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    EXPECT_EQ(s.utf16(), units);
    EXPECT_EQ(s.length(), 6u);  // the emoji takes two UTF-16 units
    EXPECT_EQ(s.characterAtIndex(3), 0xD83D);
    EXPECT_EQ(s.characterAtIndex(4), 0xDE00);
    EXPECT_EQ(s.characterAtIndex(6), 0);
}

TEST(StringEncoding, LoneSurrogatesBecomeReplacementCharacter) {
    const char16_t lowFirst[] = {u'a', 0xDC00, 0xD800, u'b'};
    EXPECT_EQ(String::fromUtf16(lowFirst, 4).utf8(),
              "a\xEF\xBF\xBD\xEF\xBF\xBD"
              "b");
    const char16_t highAtEnd[] = {u'x', 0xD83D};
    EXPECT_EQ(String::fromUtf16(highAtEnd, 2).utf8(), "x\xEF\xBF\xBD");
    const char16_t highThenText[] = {0xD83D, u'y'};
    EXPECT_EQ(String::fromUtf16(highThenText, 2).utf8(), "\xEF\xBF\xBDy");
}

TEST(StringEncoding, InvalidUtf8IsReplacedPerBadSequence) {
    // Truncated 3-byte sequence, a stray continuation byte, an overlong "/",
    // an encoded surrogate and a value beyond U+10FFFF.
    EXPECT_EQ(u8("a\xE4\xB8z").utf8(), "a\xEF\xBF\xBDz");
    EXPECT_EQ(u8("\x80q").utf8(), "\xEF\xBF\xBDq");
    EXPECT_EQ(u8("\xC0\xAF").utf8(), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(u8("\xED\xA0\x80").utf8(), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(u8("\xF4\x90\x80\x80").utf8(), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(u8("ok \xF0\x9F\x98\x80").utf8(), "ok \xF0\x9F\x98\x80");
}

TEST(StringEncoding, NulCharactersAreKept) {
    const char16_t units[] = {u'a', 0, u'b'};
    const String s = String::fromUtf16(units, 3);
    EXPECT_EQ(s.utf8(), std::string("a\0b", 3));
    EXPECT_EQ(s.length(), 3u);
    EXPECT_EQ(u8(std::string_view("x\0y", 3)).utf16(), std::u16string(u"x\0y", 3));
    EXPECT_FALSE(s == u8("a"));
}

TEST(StringEncoding, FromIntegerWritesSignedDecimal) {
    EXPECT_EQ(String::fromInteger(-4).utf8(), "-4");
    EXPECT_EQ(String::fromInteger(4294967297LL).utf8(), "4294967297");
    EXPECT_EQ(String::fromInteger(LLONG_MIN).utf8(), "-9223372036854775808");
}

TEST(StringComparison, IsExactAndCaseSensitive) {
    EXPECT_TRUE(u8("region") == u8("region"));
    EXPECT_FALSE(u8("Region") == u8("region"));
    EXPECT_FALSE(u8("region ") == u8("region"));
    // Precomposed and decomposed forms are different texts.
    EXPECT_FALSE(u8("\xC3\xA9") == u8("e\xCC\x81"));
}

TEST(StringCaseMapping, MapsNonAsciiLetters) {
    EXPECT_EQ(u8("\xC3\x89T\xC3\x89 \xD0\x96").lowercaseString().utf8(),
              "\xC3\xA9t\xC3\xA9 \xD0\xB6");  // ÉTÉ Ж -> été ж
    EXPECT_EQ(u8("stra\xC3\x9F"
                 "e \xCF\x83")
                  .uppercaseString()
                  .utf8(),
              "STRASSE \xCE\xA3");                                     // straße σ -> STRASSE Σ
    EXPECT_EQ(u8("\xEF\xAC\x81le").uppercaseString().utf8(), "FILE");  // ﬁle
    EXPECT_EQ(u8("\xF0\x90\x90\x80").lowercaseString().utf8(),
              "\xF0\x90\x90\xA8");                                    // Deseret, outside the BMP
    EXPECT_EQ(u8("\xC4\xB0").lowercaseString().utf8(), "i\xCC\x87");  // İ
}

TEST(StringCaseMapping, KeepsEverythingElseAndTrimsNothing) {
    EXPECT_EQ(u8("  Region=EU-West-1;x ").lowercaseString().utf8(), "  region=eu-west-1;x ");
    EXPECT_EQ(u8(std::string_view("a\0b", 3)).uppercaseString().utf8(), std::string("A\0B", 3));
    EXPECT_EQ(u8("123 \xE4\xB8\xAD").uppercaseString().utf8(), "123 \xE4\xB8\xAD");
}

TEST(StringSplit, KeepsEmptyPieces) {
    EXPECT_EQ(texts(u8("").componentsSeparatedByString(u8(";"))), (std::vector<std::string>{""}));
    EXPECT_EQ(texts(u8(";;").componentsSeparatedByString(u8(";"))),
              (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(texts(u8("a=1;region=x;").componentsSeparatedByString(u8(";"))),
              (std::vector<std::string>{"a=1", "region=x", ""}));
    EXPECT_EQ(texts(u8("no separator").componentsSeparatedByString(u8(";"))),
              (std::vector<std::string>{"no separator"}));
}

TEST(StringSplit, WorksOnNonAsciiTextAndSeparators) {
    EXPECT_EQ(
        texts(u8("\xC3\xA9=\xE2\x82\xAC;\xF0\x9F\x98\x80").componentsSeparatedByString(u8(";"))),
        (std::vector<std::string>{"\xC3\xA9=\xE2\x82\xAC", "\xF0\x9F\x98\x80"}));
    EXPECT_EQ(texts(u8("a\xE2\x80\xA2"
                       "b\xE2\x80\xA2")
                        .componentsSeparatedByString(u8("\xE2\x80\xA2"))),
              (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(texts(u8("a==b").componentsSeparatedByString(u8("=="))),
              (std::vector<std::string>{"a", "b"}));
}

TEST(StringSearch, ContainsIsLiteralAndCaseSensitive) {
    EXPECT_TRUE(u8("/Users/u/Volumes/x").containsString(u8("/Volumes/")));
    EXPECT_FALSE(u8("/volumes/x").containsString(u8("/Volumes/")));
    EXPECT_FALSE(u8("/Volumes").containsString(u8("/Volumes/")));
    EXPECT_FALSE(u8("abc").containsString(String()));
}

TEST(StringReplace, ReplacesEveryOccurrence) {
    EXPECT_EQ(u8("/a/b/a/b/c").stringByReplacingOccurrencesOfString(u8("/a/b/"), u8("")).utf8(),
              "a/b/c");
    EXPECT_EQ(u8("aaa").stringByReplacingOccurrencesOfString(u8("a"), u8("bb")).utf8(), "bbbbbb");
    EXPECT_EQ(u8("abc").stringByReplacingOccurrencesOfString(u8(""), u8("x")).utf8(), "abc");
    EXPECT_EQ(u8("x.y").stringByAppendingString(u8("/z")).utf8(), "x.y/z");
    EXPECT_EQ(u8("x").stringByAppendingString(String()).utf8(), "x");
}
