#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "TestEnv.h"
#include "TestServer.h"
#include "Texts.h"
#include "platform/Bundle.h"
#include "platform/FileManager.h"
#include "platform/String.h"
#include "platform/StringsFileParser.h"

namespace fm = skrw::platform::FileManager;
namespace fs = std::filesystem;
using skrw::platform::String;
using namespace skrw::test;

static const std::string kBad = "\xEF\xBF\xBD";

TEST(String, OperationsOnUtf8Texts) {
    const std::string home = "/h/me", rootHome = ::getpwnam("root")->pw_dir;
    ScopedEnv homeVariable("HOME", home + "/");
    using F = const std::vector<String>&;  // the text and the arguments
    // An operation and its cases, each "text|argument...|expected"; in the expected text "$"
    // stands for the home folder and "#" for U+FFFD.
    const std::pair<std::function<std::string(F)>, std::vector<std::string>> rows[] = {
        {[](F f) { return f[0].utf8(); },
         {"a\xE4\xB8z\x80q|a#z#q", "\xC0\xAF\xED\xA0\x80|#####",
          "\xF4\x90\x80\x80\xF0\x9F\x98\x80|####\xF0\x9F\x98\x80"}},
        {[](F f) { return f[0].lowercaseString().utf8(); },
         {"\u00C9T \u0416 \U00010400 \u0130 R=1;x|\u00E9t \u0436 \U00010428 i\u0307 r=1;x"}},
        {[](F f) { return f[0].uppercaseString().utf8(); },
         {"stra\u00DFe \u03C3 \uFB01 1\u4E2D|STRASSE \u03A3 FI 1\u4E2D"}},
        {[](F f) { return f[0].stringByExpandingTildeInPath().utf8(); },
         {"~|$", "/Data/~/x|/Data/~/x", "~no-such-user-skrw/x|~no-such-user-skrw/x",
          "~root/D|" + rootHome + "/D"}},
        {[](F f) { return f[0].stringByStandardizingPath().utf8(); },
         {"/a//b/./c/|/a/b/c", "./a/.|a", "//|/", "/a/../b|/a/../b", "~/D|$/D"}},
        {[](F f) { return f[0].stringByDeletingLastPathComponent().utf8(); },
         {"/a/b/|/a", "/q1.csv|/", "q1.csv|", "//|/", "a//b|a"}},
        {[](F f) { return std::to_string(f[0].integerValue()); },
         {"\xC2\xA0\t+01x|1", "-5|-5", "4294967297|4294967297", "12.9|12", "+-3|0", "- 3|0",
          "9223372036854775808|9223372036854775807", "00000000000000000000000000042|42",
          "-123456789012345678901234567890|-9223372036854775808"}},
        {[](F f) { return f[0].boolValue() ? "yes" : "no"; },
         {"Yak|yes", "T|yes", " +0001|yes", "-1|yes", "002x|yes", "00|no", "ON|no", "+-1|no"}},
        {[](F f) { return f[0].containsString(f[1]) ? "yes" : "no"; },
         {"/Users/u/Volumes/x|/Volumes/|yes", "/volumes/x|/Volumes/|no"}},
        {[](F f) { return f[0].stringByReplacingOccurrencesOfString(f[1], f[2]).utf8(); },
         {"/a/b/a/b/c|/a/b/||a/b/c", "aaa|a|bb|bbbbbb", "abc||x|abc"}},
        {[](F f) {
             std::string out;
             for (const String& piece : f[0].componentsSeparatedByString(f[1]))
                 out += piece.utf8() + ",";
             return out;
         },
         {"|;|,", "a=1;;x;|;|a=1,,x,,", "\u00E9\u2022\U0001F600|\u2022|\u00E9,\U0001F600,"}}};
    for (const auto& [op, cases] : rows) {
        for (const std::string& text : cases) {
            SCOPED_TRACE(text);
            std::vector<std::string> f;  // the text and two arguments, "" when not given
            std::istringstream in(text.substr(0, text.rfind('|')) + "|||");
            for (std::string field; f.size() < 3 && std::getline(in, field, '|');)
                f.push_back(field);
            std::string expected;
            for (char c : text.substr(text.rfind('|') + 1))
                expected += c == '#' ? kBad : c == '$' ? home : std::string(1, c);
            EXPECT_EQ(op({u8(f[0]), u8(f[1]), u8(f[2])}), expected);
        }
    }
    ScopedEnv rootAsHome("HOME", "/");
    EXPECT_EQ(u8("~").stringByExpandingTildeInPath().utf8(), "/");
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(u8("~/x").stringByExpandingTildeInPath().utf8(),
              std::string(::getpwuid(::getuid())->pw_dir) + "/x");
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
                null.characterAtIndex(0) == 0 && null.length() == 0 && null.integerValue() == 0 &&
                u8("").uppercaseString().isEmpty());

    const std::u16string units = std::u16string(u"a\u00e9\U0001F600") + u'\0' + u"z";
    const String s = String::fromUtf16(units);
    EXPECT_EQ(s.utf8(), std::string("a\xC3\xA9\xF0\x9F\x98\x80\0z", 9));
    EXPECT_EQ(std::tuple(s.utf16(), s.length(), s.characterAtIndex(2), s.characterAtIndex(6)),
              std::tuple(units, 6u, u'\xD83D', u'\0'));
    EXPECT_EQ(String::fromUtf16(u"x\xDC00\xD800y\xD83D").utf8(), "x" + kBad + kBad + "y" + kBad);
    EXPECT_EQ(String::fromInteger(LLONG_MIN).utf8(), "-9223372036854775808");
}

TEST(StringsFile, ReadsEntriesAndEscapesAndRefusesMalformedText) {
    // A text, the value of "k" in it.
    const std::pair<std::string, std::string> rows[] = {
        {"\xEF\xBB\xBF/* c */\n\"k\"\t=\"v\" ; // x\r\n\"j\" = \"w\";", "v"},
        {"\"k\";", "k"},
        {"\"k\" = \"1\"; \"k\" = \"2\";", "2"},
        {"\"k\" = \"l1\nl2 \xE4\xB8\xAD\";", "l1\nl2 \xE4\xB8\xAD"},
        {R"("k" = "\" \\ \n \t \r \/ \'";)", "\" \\ \n \t \r / '"},
        {R"("k" = "\u00e9\U20AC\ud83d\ude00a\ud800b\udc00";)",
         "\u00e9\u20ac\U0001F600a\uFFFDb\uFFFD"},
        {R"("k" = "x\u0000y";)", std::string("x\0y", 3)},
        {" /* only */ // comments", "<none>"}};
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        const auto table = skrw::platform::parseStringsFile(text);
        EXPECT_EQ(!table ? "<refused>" : table->count("k") ? table->at("k") : "<none>", expected);
    }
    const std::string refused[] = {R"("k" = "1")",       R"("k" "1";)",
                                   R"("k" = "1;)",       R"("k" = "1"; /* open)",
                                   R"(k = "1";)",        R"("k" = "\x";)",
                                   R"("k" = "\u12G4";)", R"("k" = "1";;)",
                                   "\"k\" = \"\xC3\";",  std::string("\xFF\xFE\"\0k\0\"\0", 8)};
    for (const std::string& text : refused)
        EXPECT_FALSE(skrw::platform::parseStringsFile(text)) << text;
}

TEST(Bundle, LooksUpTheKeyInTheTableOfThePreferredLanguageThenEnglishElseGivesTheValueBack) {
    TempDir bundle;
    // A table of 4 MiB is read; a larger file is no table of ours and counts as missing.
    const auto padded = [](std::string table, std::size_t size) {
        table.resize(size, ' ');
        return table;
    };
    const std::pair<std::string, std::string> tables[] = {
        {"en.lproj/T", R"("hi" = "Hello"; "en" = "English";)"},
        {"de.lproj/T", R"("hi" = "Hallo";)"},
        {"fr.lproj/T", R"("hi" = "Salut")"},
        {"de.lproj/Full", padded(R"("hi" = "Voll";)", 4 << 20)},
        {"de.lproj/Over", padded(R"("hi" = "Zu lang";)", (4 << 20) + 1)},
        {"en.lproj/Over", R"("hi" = "Short";)"}};
    for (const auto& [table, text] : tables) {
        fs::create_directories(fs::path(bundle.path() + "/Resources/" + table).parent_path());
        writeFile(bundle.path() + "/Resources/" + table + ".strings", text);
    }
    writeFile(bundle.path() + "/Resources/evil.strings", R"("hi" = "outside";)");
    const skrw::platform::BundleRecord record{skrw::platform::BundleRecord::kMagic,
                                              bundle.path().c_str()};
    const skrw::platform::BundleRecord wrong{0, bundle.path().c_str()};
    // LANGUAGE, LANG, the key, table and value asked, the answer, the bundle
    using Row = std::tuple<const char*, const char*, const char*, const char*, const char*,
                           const char*, const skrw::platform::BundleRecord*>;
    const Row rows[] = {
        {"", "de_DE.UTF-8", "hi", "T", "v", "Hallo", &record},
        {"", "de_DE.UTF-8", "en", "T", "v", "English", &record},
        {"", "de_DE.UTF-8", "hi", "Full", "v", "Voll", &record},
        {"", "de_DE.UTF-8", "hi", "Over", "v", "Short", &record},
        {"", "fr_FR.UTF-8", "hi", "T", "v", "Hello", &record},  // a malformed table is missing
        {"it:de", "C", "hi", "T", "v", "Hallo", &record},
        {"", "../de", "hi", "T", "v", "Hello", &record},
        {"", "", "none", "T", "v", "v", &record},
        {"", "", "none", "T", nullptr, "none", &record},
        {"", "", "hi", "../evil", nullptr, "hi", &record},
        {"", "", "hi", "Other", nullptr, "hi", &record},
        {"", "", "hi", "T", nullptr, "hi", &wrong},
        {"", "", "hi", "T", nullptr, "hi", nullptr}};
    for (const auto& [language, lang, key, table, value, expected, bundle] : rows) {
        SCOPED_TRACE(std::string(lang) + " " + key + " " + table);
        ScopedEnv languages("LANGUAGE", language), all("LC_ALL", std::nullopt),
            messages("LC_MESSAGES", std::nullopt), langVariable("LANG", lang);
        const String found = skrw::platform::copyLocalizedString(
            bundle, u8(key), value ? u8(value) : String(), u8(table));
        EXPECT_EQ(found.utf8(), expected);
    }
    ScopedEnv language("LANGUAGE", "pt_BR:fr::de"), all("LC_ALL", ""),
        messages("LC_MESSAGES", "it_IT.UTF-8@euro"), lang("LANG", "es_ES.UTF-8");
    EXPECT_EQ(skrw::platform::preferredLanguages(),
              (std::vector<std::string>{"pt", "fr", "de", "it", "en"}));
}

TEST(FileManager, MakesEntersTestsAndRemovesFoldersAndFailsWithThePlatformError) {
    TempDir temp;
    CurrentFolderGuard guard;
    const std::string t = temp.path();
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(t + "/a/b//c/", nullptr) &&
                fm::createDirectoryWithIntermediates(t, nullptr) &&
                fm::createDirectoryWithIntermediates("/", nullptr));
    EXPECT_TRUE(fm::changeCurrentDirectoryPath(t) && !fm::changeCurrentDirectoryPath(t + "/x") &&
                !fm::changeCurrentDirectoryPath("") && fs::current_path() == t);
    EXPECT_TRUE(fm::createDirectoryWithIntermediates("rel/in", nullptr));
    writeFile(t + "/f", "x");
    bool folder = false;
    EXPECT_TRUE(fm::fileExistsAtPath("rel/in", &folder) && folder);
    EXPECT_TRUE(fm::fileExistsAtPath("f", &folder) && !folder);
    EXPECT_FALSE(fm::fileExistsAtPath(t + "/none", &folder) || folder || fm::fileExistsAtPath("") ||
                 fm::fileExistsAtPath("~/f"));

    skrw::platform::Error error, below, missing, notFolder;
    EXPECT_TRUE(!fm::createDirectoryWithIntermediates(t + "/f", &error) && error.code == EEXIST);
    EXPECT_FALSE(fm::createDirectoryWithIntermediates(t + "/f/sub/deeper", &below) ||
                 below.code == 0);
    EXPECT_FALSE(fm::removeItemAtPath(t + "/missing", &missing) ||
                 fm::removeItemAtPath(t + "/f/x", &notFolder));
    EXPECT_EQ(std::tuple(missing.code, missing.localizedDescription, notFolder.code),
              std::tuple(ENOENT, std::strerror(ENOENT), ENOTDIR));
    EXPECT_NE(missing.description.find("/missing"), std::string::npos);

    fs::create_directory_symlink(t + "/a", t + "/alink");
    EXPECT_TRUE(fm::removeItemAtPath(t + "/alink", &error) && fs::exists(t + "/a/b/c"));
    EXPECT_FALSE(fm::removeItemAtPath(t + "/a", &error) || error.code != EISDIR);  // never a folder
    EXPECT_TRUE(fm::removeItemAtPath(t + "/f", nullptr) && !fs::exists(t + "/f"));
}
