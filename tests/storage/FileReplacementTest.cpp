// Writing a downloaded body so that the target holds every byte or stays as it was, the way a
// download writes it: through the temporary file's stream, then the commit.
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <memory>

#include "StorageTestFixture.h"
#include "storage/FileReplacement.h"

namespace storage_test {
namespace {

class FileReplacement : public ::testing::Test {
  protected:
    // The way a download writes: one stream over the temporary file, flushed, then the commit.
    bool replaceThroughStream(const std::string& target, const std::string& body) {
        skrw::storage::ReplacementFile file;
        if (!file.open(target, error)) return false;
        std::unique_ptr<std::iostream> stream(file.newStream(error));
        if (stream == nullptr) return false;
        stream->write(body.data(), static_cast<std::streamsize>(body.size()));
        stream->flush();
        return file.commit(error);
    }

    skrw::test::TempDir temp;
    const std::string folder = temp.volumesPath();
    platform::Error error;
};

TEST_F(FileReplacement, NewFileGetsTheWholeBodyAndDefaultPermissions) {
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(replaceThroughStream(folder + "/new.bin", std::string("hello\0world", 11)));
    ::umask(mask);
    EXPECT_EQ(readFile(folder + "/new.bin"), std::string("hello\0world", 11));
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/new.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(entries(folder), std::vector<std::string>{"new.bin"});
}

TEST_F(FileReplacement, DanglingLinkCreatesTheFileItNames) {
    ASSERT_EQ(::symlink("made.txt", (folder + "/dangling.txt").c_str()), 0);
    ASSERT_TRUE(replaceThroughStream(folder + "/dangling.txt", "made"));
    EXPECT_EQ(readFile(folder + "/made.txt"), "made");
}

TEST_F(FileReplacement, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    writeFile(folder + "/keep.txt", "original");
    // A file size limit makes the write fail (EFBIG) as a full disk would.
    const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = replaceThroughStream(folder + "/keep.txt", std::string(8192, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, handler);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(error.code, EFBIG);
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
