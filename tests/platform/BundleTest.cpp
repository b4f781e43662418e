#include <gtest/gtest.h>

#include <filesystem>

#include "TestFolders.h"
#include "platform/Bundle.h"
#include "platform/PreferredLanguages.h"

using platform::BundleRecord;
using platform::copyLocalizedString;
using platform::String;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;
using testing_support::writeFile;

namespace {

String u8(std::string_view text) {
    return String::fromUtf8(text);
}

class BundleTest : public ::testing::Test {
  protected:
    void SetUp() override { record_.folderPath = bundle_.path().c_str(); }

    void writeTable(const std::string& language, const std::string& contents,
                    const std::string& table = "SKRWStrings") {
        const std::string folder = bundle_ / ("Resources/" + language + ".lproj");
        std::filesystem::create_directories(folder);
        writeFile(folder + "/" + table + ".strings", contents);
    }

    std::string lookUp(std::string_view key, const String& table = u8("SKRWStrings")) {
        const String found = copyLocalizedString(&record_, u8(key), u8(key), table);
        return found.isNull() ? "<null>" : found.utf8();
    }

    TempFolder bundle_;
    BundleRecord record_;
    ScopedEnvironment language_{"LANGUAGE", std::nullopt};
    ScopedEnvironment all_{"LC_ALL", std::nullopt};
    ScopedEnvironment messages_{"LC_MESSAGES", std::nullopt};
    ScopedEnvironment lang_{"LANG", std::nullopt};
};

}  // namespace

TEST_F(BundleTest, FindsTheKeyAndOtherwiseGivesTheValueOrTheKeyBack) {
    writeTable("en", R"t("SKRW 150" = "SKRW_Version( {versionType} )"; "k" = "a\"b\n\u00e9";)t");
    EXPECT_EQ(lookUp("SKRW 150"), "SKRW_Version( {versionType} )");
    EXPECT_EQ(lookUp("k"), "a\"b\n\xC3\xA9");
    EXPECT_EQ(lookUp("SKRW 7"), "SKRW 7");
    EXPECT_EQ(lookUp("SKRW 150", u8("OtherTable")), "SKRW 150");
    EXPECT_EQ(copyLocalizedString(&record_, u8("SKRW 7"), u8("fallback"), u8("SKRWStrings")).utf8(),
              "fallback");
    EXPECT_EQ(copyLocalizedString(nullptr, u8("k"), u8("k"), u8("SKRWStrings")).utf8(), "k");
    BundleRecord wrong;
    wrong.magic = 0;
    wrong.folderPath = record_.folderPath;
    EXPECT_EQ(copyLocalizedString(&wrong, u8("SKRW 150"), String(), u8("SKRWStrings")).utf8(),
              "SKRW 150");
}

TEST_F(BundleTest, MalformedTableCountsAsMissing) {
    writeTable("en", "\"SKRW 150\" = \"x\"\n\"SKRW 151\" = \"y\";");
    EXPECT_EQ(lookUp("SKRW 150"), "SKRW 150");
    EXPECT_EQ(lookUp("SKRW 151"), "SKRW 151");
    // A malformed table in the preferred language falls back to English.
    writeTable("en", R"("hello" = "Hello";)");
    writeTable("de", R"("hello" = "Hallo")");
    ScopedEnvironment lang("LANG", std::string("de_DE.UTF-8"));
    EXPECT_EQ(lookUp("hello"), "Hello");
}

TEST_F(BundleTest, PrefersTheEnvironmentLanguageAndFallsBackToEnglish) {
    writeTable("en", R"("hello" = "Hello"; "only-en" = "English only";)");
    writeTable("de", R"("hello" = "Hallo";)");
    ScopedEnvironment lang("LANG", std::string("de_DE.UTF-8"));
    EXPECT_EQ(lookUp("hello"), "Hallo");
    EXPECT_EQ(lookUp("only-en"), "English only");
    {
        ScopedEnvironment messages("LC_MESSAGES", std::string("fr_FR.UTF-8"));
        EXPECT_EQ(lookUp("hello"), "Hello");  // no French table
    }
    {
        ScopedEnvironment all("LC_ALL", std::string("C"));
        EXPECT_EQ(lookUp("hello"), "Hello");
    }
    {
        ScopedEnvironment list("LANGUAGE", std::string("fr:de"));
        EXPECT_EQ(lookUp("hello"), "Hallo");
    }
}

TEST_F(BundleTest, NamesThatWouldLeaveTheBundleAreRefused) {
    writeTable("en", R"("k" = "v";)");
    std::filesystem::create_directories(bundle_ / "Resources/x");
    writeFile(bundle_ / "Resources/evil.strings", R"("k" = "outside";)");
    EXPECT_EQ(lookUp("k", u8("../evil")), "k");
    ScopedEnvironment lang("LANG", std::string("../x"));
    EXPECT_EQ(lookUp("k"), "v");
}

TEST(PreferredLanguages, ReadsLocaleNamesInOrder) {
    ScopedEnvironment language("LANGUAGE", std::string("pt_BR:fr::de"));
    ScopedEnvironment all("LC_ALL", std::string());
    ScopedEnvironment messages("LC_MESSAGES", std::string("it_IT.UTF-8@euro"));
    ScopedEnvironment lang("LANG", std::string("es_ES.UTF-8"));
    EXPECT_EQ(platform::preferredLanguages(),
              (std::vector<std::string>{"pt", "fr", "de", "it", "en"}));
}
