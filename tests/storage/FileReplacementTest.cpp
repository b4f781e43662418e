// Writing a downloaded body so that the target holds every byte or stays as it was: the cases a
// download through the service cannot produce (folder targets, replaced files and failed writes
// are shown through whole downloads).
#include <dirent.h>
#include <gtest/gtest.h>
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

TEST_F(FileReplacement, DanglingLinkCreatesTheFileItNames) {
    const std::string dangling = folder() + "/dangling.txt";
    ASSERT_EQ(::symlink("made.txt", dangling.c_str()), 0);
    std::istringstream second("made");
    ASSERT_TRUE(replaceFileWithStream(dangling, second, error));
    EXPECT_EQ(readFile(folder() + "/made.txt"), "made");
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

}  // namespace
