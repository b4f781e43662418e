// Writing a downloaded body so that the target holds every byte or stays as it was.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestServer.h"
#include "storage/FileReplacement.h"

namespace {

using skrw::storage::replaceFileWithStream;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Gives some bytes, then fails as a broken transfer would.
class FailingBuffer : public std::streambuf {
  public:
    FailingBuffer() { setg(data_, data_, data_ + 4); }

  protected:
    int_type underflow() override { throw std::runtime_error("connection lost"); }

  private:
    char data_[4] = {'p', 'a', 'r', 't'};
};

class FileReplacement : public ::testing::Test {
  protected:
    skrw::test::TempDir temp;
    std::string folder() const { return temp.volumesPath(); }
    platform::Error error;
};

TEST_F(FileReplacement, NewFileGetsTheWholeBodyAndDefaultPermissions) {
    const mode_t mask = ::umask(022);
    std::istringstream body(std::string("hello\0world", 11));
    const std::string target = folder() + "/new.bin";
    EXPECT_TRUE(replaceFileWithStream(target, body, error));
    ::umask(mask);
    EXPECT_EQ(readFile(target), std::string("hello\0world", 11));
    EXPECT_EQ(modeOf(target), 0644u);
    EXPECT_EQ(entries(folder()), std::vector<std::string>{"new.bin"});
}

TEST_F(FileReplacement, ReplacedFileKeepsItsPermissionBits) {
    const std::string target = folder() + "/old.txt";
    writeFile(target, "a much longer old content");
    ::chmod(target.c_str(), 0640);
    std::istringstream body("new");
    ASSERT_TRUE(replaceFileWithStream(target, body, error));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(modeOf(target), 0640u);
}

TEST_F(FileReplacement, SymbolicLinkIsFollowedAndStaysALink) {
    const std::string real = folder() + "/real.txt";
    const std::string link = folder() + "/link.txt";
    writeFile(real, "old");
    ASSERT_EQ(::symlink("real.txt", link.c_str()), 0);
    std::istringstream body("new");
    ASSERT_TRUE(replaceFileWithStream(link, body, error));
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readFile(real), "new");

    const std::string dangling = folder() + "/dangling.txt";
    ASSERT_EQ(::symlink("made.txt", dangling.c_str()), 0);
    std::istringstream second("made");
    ASSERT_TRUE(replaceFileWithStream(dangling, second, error));
    EXPECT_EQ(readFile(folder() + "/made.txt"), "made");
}

TEST_F(FileReplacement, FolderTargetsFailAsIsADirectory) {
    ::mkdir((folder() + "/sub").c_str(), 0755);
    std::istringstream body("x");
    EXPECT_FALSE(replaceFileWithStream(folder() + "/sub", body, error));
    EXPECT_EQ(error.code, EISDIR);
    EXPECT_FALSE(replaceFileWithStream(folder() + "/file/", body, error));
    EXPECT_EQ(error.code, EISDIR);
    EXPECT_EQ(entries(folder()), std::vector<std::string>{"sub"});
    EXPECT_TRUE(entries(folder() + "/sub").empty());
}

TEST_F(FileReplacement, BrokenBodyLeavesTheOldFileAndNoTemporaryFile) {
    const std::string target = folder() + "/keep.txt";
    writeFile(target, "original");
    FailingBuffer buffer;
    std::istream body(&buffer);
    EXPECT_FALSE(replaceFileWithStream(target, body, error));
    EXPECT_EQ(error.code, EIO);
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(entries(folder()), std::vector<std::string>{"keep.txt"});
}

TEST_F(FileReplacement, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const std::string target = folder() + "/keep.txt";
    writeFile(target, "original");
    std::istringstream body(std::string(64 * 1024, 'x'));

    // A file size limit makes the write fail even for root.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = replaceFileWithStream(target, body, error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(error.code, EFBIG);
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(entries(folder()), std::vector<std::string>{"keep.txt"});
}

}  // namespace
