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

std::string passwordHomeOf(const char* user) {
    const passwd* entry = ::getpwnam(user);
    return entry != nullptr ? entry->pw_dir : "";
}

class TildeTest : public ::testing::Test {
  protected:
    TempFolder home_;
    ScopedEnvironment homeVariable_{"HOME", home_.path()};
};

}  // namespace

TEST_F(TildeTest, TildeAloneAndLeadingComponentBecomeHome) {
    EXPECT_EQ(expanded("~"), home_.path());
    EXPECT_EQ(expanded("~/Downloads/q1.csv"), home_.path() + "/Downloads/q1.csv");
    EXPECT_EQ(expanded("~/"), home_.path() + "/");
}

TEST_F(TildeTest, OtherPathsComeBackUnchanged) {
    EXPECT_EQ(expanded("/Data/~/x"), "/Data/~/x");
    EXPECT_EQ(expanded("Data/q1.csv"), "Data/q1.csv");
    EXPECT_EQ(expanded(""), "");
    EXPECT_EQ(expanded("~no-such-user-skrw/x"), "~no-such-user-skrw/x");
}

TEST_F(TildeTest, HomeWithTrailingSlashJoinsWithOneSlash) {
    ScopedEnvironment slashed("HOME", home_.path() + "/");
    EXPECT_EQ(expanded("~/a"), home_.path() + "/a");
    ScopedEnvironment root("HOME", std::string("/"));
    EXPECT_EQ(expanded("~/a"), "/a");
    EXPECT_EQ(expanded("~"), "/");
}

TEST_F(TildeTest, NamedUserComesFromThePasswordDatabase) {
    const std::string rootHome = passwordHomeOf("root");
    ASSERT_FALSE(rootHome.empty());
    EXPECT_EQ(expanded("~root"), rootHome);
    EXPECT_EQ(expanded("~root/Desktop"), rootHome + "/Desktop");
}

TEST_F(TildeTest, UnsetHomeFallsBackToThePasswordDatabase) {
    ScopedEnvironment unset("HOME", std::nullopt);
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(expanded("~/x"), std::string(entry->pw_dir) + "/x");
    ScopedEnvironment empty("HOME", std::string());
    EXPECT_EQ(platform::homeFolderOfCurrentUser(), std::string(entry->pw_dir));
}

TEST_F(TildeTest, StandardizingExpandsTheLogPath) {
    EXPECT_EQ(standardized("~/Desktop/VORNIQ/HALDOREN/LogFile.txt"),
              home_.path() + "/Desktop/VORNIQ/HALDOREN/LogFile.txt");
}

TEST(StandardizePath, RemovesDotAndRepeatedOrTrailingSlashes) {
    EXPECT_EQ(standardized("/a//b/./c/"), "/a/b/c");
    EXPECT_EQ(standardized("./a/."), "a");
    EXPECT_EQ(standardized("/"), "/");
    EXPECT_EQ(standardized("//"), "/");
    EXPECT_EQ(standardized("."), ".");
    EXPECT_EQ(standardized(""), "");
    EXPECT_EQ(standardized("/a/../b"), "/a/../b");
}

TEST(DeleteLastPathComponent, FollowsThePathRules) {
    EXPECT_EQ(parentOf("/a/b/"), "/a");
    EXPECT_EQ(parentOf("/a/b"), "/a");
    EXPECT_EQ(parentOf("/q1.csv"), "/");
    EXPECT_EQ(parentOf("q1.csv"), "");
    EXPECT_EQ(parentOf("/"), "/");
    EXPECT_EQ(parentOf("//"), "/");
    EXPECT_EQ(parentOf("/Volumes/Data/Reports/q1.csv"), "/Volumes/Data/Reports");
    EXPECT_EQ(parentOf("Data/Reports/"), "Data");
    EXPECT_EQ(parentOf("a//b"), "a");
    EXPECT_EQ(parentOf(""), "");
    EXPECT_TRUE(String::fromUtf8("").stringByDeletingLastPathComponent().isEmpty());
}
