// Writing a downloaded body so that the target holds every byte or stays as it was: the cases a
// download through the service cannot produce.
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "StorageTestFixture.h"
#include "storage/FileReplacement.h"

namespace storage_test {
namespace {

using skrw::storage::replaceFileWithStream;

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
    const std::string folder = temp.volumesPath();
    platform::Error error;
};

TEST_F(FileReplacement, NewFileGetsTheWholeBodyAndDefaultPermissions) {
    const mode_t mask = ::umask(022);
    std::istringstream body(std::string("hello\0world", 11));
    EXPECT_TRUE(replaceFileWithStream(folder + "/new.bin", body, error));
    ::umask(mask);
    EXPECT_EQ(readFile(folder + "/new.bin"), std::string("hello\0world", 11));
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/new.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(entries(folder), std::vector<std::string>{"new.bin"});
}

TEST_F(FileReplacement, DanglingLinkCreatesTheFileItNames) {
    ASSERT_EQ(::symlink("made.txt", (folder + "/dangling.txt").c_str()), 0);
    std::istringstream body("made");
    ASSERT_TRUE(replaceFileWithStream(folder + "/dangling.txt", body, error));
    EXPECT_EQ(readFile(folder + "/made.txt"), "made");
}

TEST_F(FileReplacement, BrokenBodyLeavesTheOldFileAndNoTemporaryFile) {
    writeFile(folder + "/keep.txt", "original");
    FailingBuffer buffer;
    std::istream body(&buffer);
    EXPECT_FALSE(replaceFileWithStream(folder + "/keep.txt", body, error));
    EXPECT_EQ(error.code, EIO);
    EXPECT_EQ(readFile(folder + "/keep.txt"), "original");
    EXPECT_EQ(entries(folder), std::vector<std::string>{"keep.txt"});
}

TEST_F(FileReplacement, EachStreamStartsTheFileAfreshAndOnlyCommitReplaces) {
    writeFile(folder + "/kept.txt", "old");
    skrw::storage::ReplacementFile file;
    ASSERT_TRUE(file.open(folder + "/kept.txt", error));
    for (const char* text : {"a longer first attempt", "whole"}) {
        std::unique_ptr<std::iostream> stream(file.newStream(error));
        ASSERT_NE(stream, nullptr);
        *stream << text;
    }
    EXPECT_EQ(readFile(folder + "/kept.txt"), "old");
    ASSERT_TRUE(file.commit(error));
    EXPECT_EQ(readFile(folder + "/kept.txt"), "whole");
    EXPECT_EQ(entries(folder), std::vector<std::string>{"kept.txt"});
}

}  // namespace
}  // namespace storage_test
