#include <gtest/gtest.h>

#include <cstring>

#include "TestEnv.h"
#include "TestServer.h"
#include "platform/Bundle.h"
#include "platform/FileManager.h"
#include "platform/StringsFileParser.h"

namespace fm = platform::FileManager;
namespace fs = std::filesystem;
using platform::String;
using namespace skrw::test;

TEST(StringsFile, ReadsEntriesAndEscapesAndRefusesMalformedText) {
    const std::pair<std::string, std::string> rows[] = {
        // a text, the value of "k" in it
        {"\xEF\xBB\xBF/* c */\n\"k\"\t=\"v\" ; // x\r\n\"j\" = \"w\";", "v"},
        {"\"k\";", "k"},
        {"\"k\" = \"1\"; \"k\" = \"2\";", "2"},
        {"\"k\" = \"l1\nl2 \xE4\xB8\xAD\";", "l1\nl2 \xE4\xB8\xAD"},
        {R"("k" = "\" \\ \n \t \r \/ \'";)", "\" \\ \n \t \r / '"},
        {R"("k" = "\u00e9\U20AC\ud83d\ude00a\ud800b\udc00";)",
         "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},
        {R"("k" = "x\u0000y";)", std::string("x\0y", 3)},
        {" /* only */ // comments", "<none>"},
        {R"("k" = "1")", "<refused>"},
        {R"("k" "1";)", "<refused>"},
        {R"("k" = "1;)", "<refused>"},
        {R"("k" = "1"; /* open)", "<refused>"},
        {R"(k = "1";)", "<refused>"},
        {R"("k" = "\x";)", "<refused>"},
        {R"("k" = "\u12G4";)", "<refused>"},
        {R"("k" = "1";;)", "<refused>"},
        {"\"k\" = \"\xC3\";", "<refused>"},
        {std::string("\xFF\xFE\"\0k\0\"\0", 8), "<refused>"}};
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        const auto table = platform::parseStringsFile(text);
        EXPECT_EQ(!table ? "<refused>" : table->count("k") ? table->at("k") : "<none>", expected);
    }
}

TEST(Bundle, LooksUpTheKeyInTheTableOfThePreferredLanguageThenEnglishElseGivesTheValueBack) {
    TempDir bundle;
    for (const auto& [language, table] : {std::pair{"en", R"("hi" = "Hello"; "en" = "English";)"},
                                          {"de", R"("hi" = "Hallo";)"},
                                          {"fr", R"("hi" = "Salut")"}}) {
        fs::create_directories(bundle.path() + "/Resources/" + language + ".lproj");
        writeFile(bundle.path() + "/Resources/" + language + ".lproj/T.strings", table);
    }
    writeFile(bundle.path() + "/Resources/evil.strings", R"("hi" = "outside";)");
    const platform::BundleRecord record{platform::BundleRecord::kMagic, bundle.path().c_str()};
    const platform::BundleRecord wrong{0, bundle.path().c_str()};
    struct Row {
        const char *language, *lang, *key, *table, *value, *expected;
        const platform::BundleRecord* bundle;
    };
    const Row rows[] = {
        {"", "de_DE.UTF-8", "hi", "T", "v", "Hallo", &record},
        {"", "de_DE.UTF-8", "en", "T", "v", "English", &record},
        {"", "fr_FR.UTF-8", "hi", "T", "v", "Hello", &record},  // a malformed table is missing
        {"it:de", "C", "hi", "T", "v", "Hallo", &record},
        {"", "../de", "hi", "T", "v", "Hello", &record},
        {"", "", "none", "T", "v", "v", &record},
        {"", "", "none", "T", nullptr, "none", &record},
        {"", "", "hi", "../evil", nullptr, "hi", &record},
        {"", "", "hi", "Other", nullptr, "hi", &record},
        {"", "", "hi", "T", nullptr, "hi", &wrong},
        {"", "", "hi", "T", nullptr, "hi", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.lang) + " " + row.key + " " + row.table);
        ScopedEnv language("LANGUAGE", row.language), all("LC_ALL", std::nullopt),
            messages("LC_MESSAGES", std::nullopt), lang("LANG", row.lang);
        const String value = row.value ? String::fromUtf8(row.value) : String();
        EXPECT_EQ(platform::copyLocalizedString(row.bundle, String::fromUtf8(row.key), value,
                                                String::fromUtf8(row.table))
                      .utf8(),
                  row.expected);
    }
    ScopedEnv language("LANGUAGE", "pt_BR:fr::de"), all("LC_ALL", ""),
        messages("LC_MESSAGES", "it_IT.UTF-8@euro"), lang("LANG", "es_ES.UTF-8");
    EXPECT_EQ(platform::preferredLanguages(),
              (std::vector<std::string>{"pt", "fr", "de", "it", "en"}));
}

TEST(FileManager, MakesEntersTestsAndRemovesFoldersAndFailsWithThePlatformError) {
    TempDir temp;
    CurrentFolderGuard guard;
    const std::string t = temp.path();
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(t + "/a/b//c/", nullptr));
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(t, nullptr) &&
                fm::createDirectoryWithIntermediates("/", nullptr));
    EXPECT_TRUE(fm::changeCurrentDirectoryPath(t) && !fm::changeCurrentDirectoryPath(t + "/x") &&
                !fm::changeCurrentDirectoryPath(""));
    EXPECT_EQ(fs::current_path(), t);
    EXPECT_TRUE(fm::createDirectoryWithIntermediates("rel/in", nullptr));
    writeFile(t + "/f", "x");
    bool folder = false;
    EXPECT_TRUE(fm::fileExistsAtPath("rel/in", &folder) && folder);
    EXPECT_TRUE(fm::fileExistsAtPath("f", &folder) && !folder);
    EXPECT_FALSE(fm::fileExistsAtPath(t + "/none", &folder) || folder || fm::fileExistsAtPath("") ||
                 fm::fileExistsAtPath("~/f"));

    platform::Error error, below, missing, notFolder;
    EXPECT_FALSE(fm::createDirectoryWithIntermediates(t + "/f", &error));
    EXPECT_EQ(error.code, EEXIST);
    EXPECT_FALSE(fm::createDirectoryWithIntermediates(t + "/f/sub/deeper", &below) ||
                 below.code == 0);
    EXPECT_FALSE(fm::removeItemAtPath(t + "/missing", &missing) ||
                 fm::removeItemAtPath(t + "/f/x", &notFolder));
    EXPECT_EQ(missing.code, ENOENT);
    EXPECT_EQ(missing.localizedDescription, std::strerror(ENOENT));
    EXPECT_NE(missing.description.find("/missing"), std::string::npos);
    EXPECT_EQ(notFolder.code, ENOTDIR);

    fs::create_symlink(t + "/f", t + "/a/b/link");
    fs::create_directory_symlink(t + "/a", t + "/alink");
    EXPECT_TRUE(fm::removeItemAtPath(t + "/alink", &error) && fs::exists(t + "/a/b/c"));
    EXPECT_FALSE(fm::removeItemAtPath(t + "/a", &error) || error.code != EISDIR);  // never a folder
    EXPECT_TRUE(fm::removeItemAtPath(t + "/a/b/link", &error) && fs::exists(t + "/f"));
    EXPECT_EQ(readFile(t + "/f"), "x");
    EXPECT_TRUE(fm::removeItemAtPath(t + "/f", nullptr) && !fs::exists(t + "/f"));
}
