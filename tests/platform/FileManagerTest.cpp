#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "TestFolders.h"
#include "platform/Error.h"
#include "platform/FileManager.h"

namespace fm = platform::FileManager;
using platform::Error;
using testing_support::CurrentFolderGuard;
using testing_support::TempFolder;
using testing_support::writeFile;

namespace {

bool isFolder(const std::string& path) {
    return std::filesystem::is_directory(path);
}

}  // namespace

TEST(PlatformError, FromErrnoCarriesNumberTextAndPath) {
    const Error error = Error::fromErrno(ENOENT, "removeItem", "/x/y");
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_EQ(error.localizedDescription, std::strerror(ENOENT));
    for (const std::string& part :
         {std::string("removeItem"), std::string("/x/y"), std::string(std::strerror(ENOENT))}) {
        EXPECT_NE(error.description.find(part), std::string::npos) << part;
    }
}

TEST(CreateDirectory, MakesIntermediatesFromTheCurrentFolderAndAcceptsExistingOnes) {
    TempFolder temp;
    CurrentFolderGuard guard;
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(temp / "a/b//c/", nullptr));
    EXPECT_TRUE(isFolder(temp / "a/b/c"));
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(temp.path(), nullptr));
    EXPECT_TRUE(fm::createDirectoryWithIntermediates("/", nullptr));
    ASSERT_TRUE(fm::changeCurrentDirectoryPath(temp.path()));
    EXPECT_TRUE(fm::createDirectoryWithIntermediates("rel/inner", nullptr));
    EXPECT_TRUE(isFolder(temp / "rel/inner"));
}

TEST(CreateDirectory, FailsWhenAFileIsInTheWay) {
    TempFolder temp;
    writeFile(temp / "file", "x");
    Error error;
    EXPECT_FALSE(fm::createDirectoryWithIntermediates(temp / "file", &error));
    EXPECT_EQ(error.code, EEXIST);
    EXPECT_NE(error.description.find(temp / "file"), std::string::npos);

    Error below;
    EXPECT_FALSE(fm::createDirectoryWithIntermediates(temp / "file/sub/deeper", &below));
    EXPECT_NE(below.code, 0);
    EXPECT_FALSE(std::filesystem::exists(temp / "file/sub"));
}

TEST(CurrentFolder, ChangesOrFailsAndFileTestsAreRelativeToIt) {
    TempFolder temp;
    CurrentFolderGuard guard;
    writeFile(temp / "f.txt", "");
    bool folder = true;
    EXPECT_TRUE(fm::fileExistsAtPath(temp / "f.txt", &folder));
    EXPECT_FALSE(folder);
    EXPECT_TRUE(fm::fileExistsAtPath(temp.path(), &folder));
    EXPECT_TRUE(folder);
    EXPECT_FALSE(fm::fileExistsAtPath(temp / "none", &folder));
    EXPECT_FALSE(folder);
    EXPECT_FALSE(fm::fileExistsAtPath(""));

    EXPECT_TRUE(fm::changeCurrentDirectoryPath(temp.path()));
    EXPECT_FALSE(fm::changeCurrentDirectoryPath(temp / "missing"));
    EXPECT_FALSE(fm::changeCurrentDirectoryPath(""));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(temp.path()));
    EXPECT_TRUE(fm::fileExistsAtPath("f.txt"));
    EXPECT_FALSE(fm::fileExistsAtPath("~/f.txt"));  // no tilde expansion
}

TEST(RemoveItem, RemovesFilesAndLinksButNeitherTheirTargetsNorFolders) {
    TempFolder temp;
    writeFile(temp / "f.txt", "x");
    ASSERT_TRUE(fm::createDirectoryWithIntermediates(temp / "d", nullptr));
    writeFile(temp / "d/g.txt", "y");
    std::filesystem::create_symlink(temp / "d/g.txt", temp / "link");
    std::filesystem::create_directory_symlink(temp / "d", temp / "dirlink");
    Error error;
    EXPECT_TRUE(fm::removeItemAtPath(temp / "f.txt", &error));
    EXPECT_TRUE(fm::removeItemAtPath(temp / "link", &error));
    EXPECT_TRUE(fm::removeItemAtPath(temp / "dirlink", &error));
    EXPECT_FALSE(fm::removeItemAtPath(temp / "d", &error));
    EXPECT_EQ(error.code, EISDIR);
    EXPECT_FALSE(std::filesystem::exists(temp / "f.txt"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temp / "link")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temp / "dirlink")));
    EXPECT_EQ(testing_support::readFile(temp / "d/g.txt"), "y");
}

TEST(RemoveItem, FailureGivesAPlatformError) {
    TempFolder temp;
    Error error;
    EXPECT_FALSE(fm::removeItemAtPath(temp / "missing.txt", &error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_EQ(error.localizedDescription, std::strerror(ENOENT));
    EXPECT_NE(error.description.find(temp / "missing.txt"), std::string::npos);

    writeFile(temp / "file", "");
    Error notFolder;
    EXPECT_FALSE(fm::removeItemAtPath(temp / "file/x", &notFolder));
    EXPECT_EQ(notFolder.code, ENOTDIR);
    EXPECT_FALSE(fm::removeItemAtPath(temp / "missing.txt", nullptr));
}
