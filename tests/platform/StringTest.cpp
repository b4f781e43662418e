#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "TestEnv.h"
#include "platform/String.h"

using platform::String;
using skrw::test::ScopedEnv;

namespace {

String u8(std::string_view text) {
    return String::fromUtf8(text);
}

std::vector<std::string> fields(const std::string& text, char separator) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == separator)
            out.emplace_back();
        else
            out.back().push_back(c);
    }
    return out;
}

// `op` applied to the text `f[0]` and the arguments `f[1]`, `f[2]`; lists are joined with ",".
std::string applied(char op, const std::vector<std::string>& f) {
    const String s = u8(f[0]);
    std::string out;
    switch (op) {
        case 'l':
            return s.lowercaseString().utf8();
        case 'u':
            return s.uppercaseString().utf8();
        case '~':
            return s.stringByExpandingTildeInPath().utf8();
        case 's':
            return s.stringByStandardizingPath().utf8();
        case 'p':
            return s.stringByDeletingLastPathComponent().utf8();
        case 'i':
            return std::to_string(s.integerValue());
        case 'b':
            return s.boolValue() ? "yes" : "no";
        case 'c':
            return s.containsString(u8(f[1])) ? "yes" : "no";
        case 'r':
            return s.stringByReplacingOccurrencesOfString(u8(f[1]), u8(f[2])).utf8();
        case '/':
            for (const String& piece : s.componentsSeparatedByString(u8(f[1])))
                out += piece.utf8() + ",";
            return out;
        default:
            return s.utf8();
    }
}

const std::string kBad = "\xEF\xBF\xBD";

}  // namespace

TEST(String, OperationsOnUtf8Texts) {
    const std::string home = "/h/me", rootHome = ::getpwnam("root")->pw_dir;
    ScopedEnv homeVariable("HOME", home + "/");
    // Each case is "text|argument...|expected"; in the expected text "$" stands for the home
    // folder and "#" for U+FFFD.
    const std::pair<char, std::vector<std::string>> rows[] = {
        {'8',
         {"a\xE4\xB8z\x80q|a#z#q", "\xC0\xAF\xED\xA0\x80|#####",
          "\xF4\x90\x80\x80\xF0\x9F\x98\x80|####\xF0\x9F\x98\x80"}},
        {'l',
         {"\xC3\x89T \xD0\x96 \xF0\x90\x90\x80 \xC4\xB0 R=1;x|\xC3\xA9t \xD0\xB6 \xF0\x90\x90\xA8 "
          "i\xCC\x87 r=1;x"}},
        {'u',
         {"stra\xC3\x9F"
          "e \xCF\x83 \xEF\xAC\x81 1\xE4\xB8\xAD|STRASSE \xCE\xA3 FI 1\xE4\xB8\xAD"}},
        {'~',
         {"~|$", "~/Downloads/q1.csv|$/Downloads/q1.csv", "/Data/~/x|/Data/~/x",
          "~no-such-user-skrw/x|~no-such-user-skrw/x", "~root/D|" + rootHome + "/D"}},
        {'s', {"/a//b/./c/|/a/b/c", "./a/.|a", "//|/", "/a/../b|/a/../b", "~/D|$/D"}},
        {'p', {"/a/b/|/a", "/q1.csv|/", "q1.csv|", "//|/", "Data/Reports/|Data", "a//b|a"}},
        {'i',
         {"\xC2\xA0\t+01x|1", "-5|-5", "4294967297|4294967297", "12.9|12", "+-3|0", "- 3|0",
          "x25|0", "9223372036854775808|9223372036854775807",
          "-123456789012345678901234567890|-9223372036854775808",
          "00000000000000000000000000042|42"}},
        {'b',
         {"Yak|yes", "T|yes", " +0001|yes", "-1|yes", "000000002x|yes", "00|no", "ON|no", "0.5|no",
          "+-1|no", "x1|no", "\xC3\xBF|no", "|no"}},
        {'c',
         {"/Users/u/Volumes/x|/Volumes/|yes", "/volumes/x|/Volumes/|no", "/Volumes|/Volumes/|no"}},
        {'r', {"/a/b/a/b/c|/a/b/||a/b/c", "aaa|a|bb|bbbbbb", "abc||x|abc"}},
        {'/',
         {"|;|,", "a=1;;x;|;|a=1,,x,,", "a==b|==|a,b,",
          "\xC3\xA9\xE2\x80\xA2\xF0\x9F\x98\x80|\xE2\x80\xA2|\xC3\xA9,\xF0\x9F\x98\x80,"}}};
    for (const auto& [op, cases] : rows) {
        for (const std::string& text : cases) {
            SCOPED_TRACE(std::string(1, op) + " " + text);
            std::vector<std::string> f = fields(text, '|');
            std::string expected;
            for (char c : f.back())
                expected += c == '#' ? kBad : c == '$' ? home : std::string(1, c);
            f.pop_back();
            EXPECT_EQ(applied(op, f), expected);
        }
    }
    ScopedEnv rootAsHome("HOME", "/");
    EXPECT_EQ(applied('~', {"~"}), "/");
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(applied('~', {"~/x"}), std::string(::getpwuid(::getuid())->pw_dir) + "/x");
}

TEST(String, NullStaysApartFromEmptyAndUtf16KeepsEveryUnit) {
    const String null, empty = u8("");
    EXPECT_TRUE(null.isNull() && !null.isEmpty() && empty.isEmpty() && !empty.isNull());
    EXPECT_FALSE(null == empty || empty == null || u8("Region") == u8("region"));
    EXPECT_FALSE(u8("\xC3\xA9") == u8("e\xCC\x81") || u8("abc").containsString(null));
    for (const String& s :
         {null.lowercaseString(), null.stringByAppendingString(u8("x")),
          null.stringByReplacingOccurrencesOfString(u8("a"), u8("b")),
          null.stringByExpandingTildeInPath(), null.stringByDeletingLastPathComponent()})
        EXPECT_TRUE(s.isNull());
    EXPECT_TRUE(null.componentsSeparatedByString(u8(";")).empty() &&
                u8("").uppercaseString().isEmpty());
    EXPECT_TRUE(null.characterAtIndex(0) == 0 && null.length() == 0 && null.integerValue() == 0);

    const std::u16string units = std::u16string(u"a\u00e9\U0001F600") + u'\0' + u"z";
    const String s = String::fromUtf16(units);
    EXPECT_EQ(s.utf8(), std::string("a\xC3\xA9\xF0\x9F\x98\x80\0z", 9));
    EXPECT_EQ(s.utf16(), units);
    EXPECT_EQ(s.length(), 6u);
    EXPECT_EQ(s.characterAtIndex(2), 0xD83D);
    EXPECT_EQ(s.characterAtIndex(6), 0);
    EXPECT_EQ(String::fromUtf16(u"x\xDC00\xD800y\xD83D").utf8(), "x" + kBad + kBad + "y" + kBad);
    EXPECT_EQ(String::fromInteger(LLONG_MIN).utf8(), "-9223372036854775808");
}
