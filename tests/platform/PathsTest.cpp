#include <gtest/gtest.h>
#include <pwd.h>

#include "TestFolders.h"
#include "platform/HomeFolder.h"
#include "platform/String.h"

using platform::String;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

namespace {

std::string expanded(std::string_view path) {
    return String::fromUtf8(path).stringByExpandingTildeInPath().utf8();
}
std::string standardized(std::string_view path) {
    return String::fromUtf8(path).stringByStandardizingPath().utf8();
}
std::string parentOf(std::string_view path) {
    return String::fromUtf8(path).stringByDeletingLastPathComponent().utf8();
}

class TildeTest : public ::testing::Test {
  protected:
    TempFolder home_;
    ScopedEnvironment homeVariable_{"HOME", home_.path()};
};

}  // namespace

TEST_F(TildeTest, LeadingTildeBecomesHomeAndOtherPathsComeBackUnchanged) {
    const std::string home = home_.path();
    const std::pair<std::string, std::string> rows[] = {
        {"~", home},
        {"~/Downloads/q1.csv", home + "/Downloads/q1.csv"},
        {"~/", home + "/"},
        {"/Data/~/x", "/Data/~/x"},
        {"Data/q1.csv", "Data/q1.csv"},
        {"", ""},
        {"~no-such-user-skrw/x", "~no-such-user-skrw/x"}};
    for (const auto& [path, expected] : rows) EXPECT_EQ(expanded(path), expected) << path;
    // The log path is expanded by standardizing too.
    EXPECT_EQ(standardized("~/Desktop/VORNIQ/HALDOREN/LogFile.txt"),
              home + "/Desktop/VORNIQ/HALDOREN/LogFile.txt");
}

TEST_F(TildeTest, HomeWithTrailingSlashJoinsWithOneSlash) {
    ScopedEnvironment slashed("HOME", home_.path() + "/");
    EXPECT_EQ(expanded("~/a"), home_.path() + "/a");
    ScopedEnvironment root("HOME", std::string("/"));
    EXPECT_EQ(expanded("~/a"), "/a");
    EXPECT_EQ(expanded("~"), "/");
}

TEST_F(TildeTest, NamedUserAndUnsetHomeComeFromThePasswordDatabase) {
    const passwd* root = ::getpwnam("root");
    ASSERT_NE(root, nullptr);
    const std::string rootHome = root->pw_dir;
    EXPECT_EQ(expanded("~root"), rootHome);
    EXPECT_EQ(expanded("~root/Desktop"), rootHome + "/Desktop");

    const passwd* self = ::getpwuid(::getuid());
    ASSERT_NE(self, nullptr);
    const std::string ownHome = self->pw_dir;
    ScopedEnvironment unset("HOME", std::nullopt);
    EXPECT_EQ(expanded("~/x"), ownHome + "/x");
    ScopedEnvironment empty("HOME", std::string());
    EXPECT_EQ(platform::homeFolderOfCurrentUser(), ownHome);
}

TEST(PathRules, StandardizeAndDeleteLastComponent) {
    const std::pair<std::string, std::string> standardizing[] = {
        {"/a//b/./c/", "/a/b/c"}, {"./a/.", "a"}, {"/", "/"}, {"//", "/"}, {".", "."}, {"", ""},
        {"/a/../b", "/a/../b"}};
    for (const auto& [path, expected] : standardizing) {
        EXPECT_EQ(standardized(path), expected) << path;
    }
    const std::pair<std::string, std::string> parents[] = {
        {"/a/b/", "/a"},
        {"/a/b", "/a"},
        {"/q1.csv", "/"},
        {"q1.csv", ""},
        {"/", "/"},
        {"//", "/"},
        {"/Volumes/Data/Reports/q1.csv", "/Volumes/Data/Reports"},
        {"Data/Reports/", "Data"},
        {"a//b", "a"},
        {"", ""}};
    for (const auto& [path, expected] : parents) EXPECT_EQ(parentOf(path), expected) << path;
    EXPECT_TRUE(String::fromUtf8("").stringByDeletingLastPathComponent().isEmpty());
}
