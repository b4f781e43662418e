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
    EXPECT_NE(error.description.find("removeItem"), std::string::npos);
    EXPECT_NE(error.description.find("/x/y"), std::string::npos);
    EXPECT_NE(error.description.find(std::strerror(ENOENT)), std::string::npos);
}

TEST(PlatformError, UnknownNumberStillGetsAText) {
    const Error error = Error::fromErrno(-7, "op", "p");
    EXPECT_EQ(error.code, -7);
    EXPECT_FALSE(error.localizedDescription.empty());
}

TEST(CreateDirectory, CreatesEveryMissingIntermediateFolder) {
    TempFolder temp;
    const std::string target = temp / "a/b//c/";
    Error error;
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(target, &error));
    EXPECT_TRUE(isFolder(temp / "a/b/c"));
}

TEST(CreateDirectory, SucceedsWhenTheFolderExists) {
    TempFolder temp;
    EXPECT_TRUE(fm::createDirectoryWithIntermediates(temp.path(), nullptr));
    EXPECT_TRUE(fm::createDirectoryWithIntermediates("/", nullptr));
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

TEST(CreateDirectory, RelativePathStartsAtTheCurrentFolder) {
    TempFolder temp;
    CurrentFolderGuard guard;
    ASSERT_TRUE(fm::changeCurrentDirectoryPath(temp.path()));
    EXPECT_TRUE(fm::createDirectoryWithIntermediates("rel/inner", nullptr));
    EXPECT_TRUE(isFolder(temp / "rel/inner"));
}

TEST(ChangeCurrentDirectory, ChangesTheProcessFolderOrFails) {
    TempFolder temp;
    CurrentFolderGuard guard;
    EXPECT_TRUE(fm::changeCurrentDirectoryPath(temp.path()));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(temp.path()));
    EXPECT_FALSE(fm::changeCurrentDirectoryPath(temp / "missing"));
    EXPECT_FALSE(fm::changeCurrentDirectoryPath(""));
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(temp.path()));
}

TEST(FileExists, TellsFilesFromFoldersAndUsesTheCurrentFolder) {
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

    ASSERT_TRUE(fm::changeCurrentDirectoryPath(temp.path()));
    EXPECT_TRUE(fm::fileExistsAtPath("f.txt"));
    EXPECT_FALSE(fm::fileExistsAtPath("~/f.txt"));  // no tilde expansion
}

TEST(RemoveItem, RemovesFilesAndWholeFolders) {
    TempFolder temp;
    writeFile(temp / "f.txt", "x");
    ASSERT_TRUE(fm::createDirectoryWithIntermediates(temp / "d/e/f", nullptr));
    writeFile(temp / "d/e/f/g.txt", "y");
    writeFile(temp / "d/h.txt", "z");
    Error error;
    EXPECT_TRUE(fm::removeItemAtPath(temp / "f.txt", &error));
    EXPECT_TRUE(fm::removeItemAtPath(temp / "d", &error));
    EXPECT_FALSE(std::filesystem::exists(temp / "f.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp / "d"));
}

TEST(RemoveItem, RemovesALinkButNotWhatItPointsTo) {
    TempFolder temp;
    ASSERT_TRUE(fm::createDirectoryWithIntermediates(temp / "kept", nullptr));
    writeFile(temp / "kept/inner.txt", "x");
    std::filesystem::create_directory_symlink(temp / "kept", temp / "link");
    EXPECT_TRUE(fm::removeItemAtPath(temp / "link", nullptr));
    EXPECT_TRUE(std::filesystem::exists(temp / "kept/inner.txt"));
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
