// Downloading objects into local files (always below a temporary ".../Volumes/" folder).
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

std::string platformRecord(int number) {
    return "CODE: " + std::to_string(number) + "\nSOURCE: ERROR";
}

class ObjectDownload : public SignedInTest {
  protected:
    void SetUp() override {
        SignedInTest::SetUp();
        bucket = newBucket("download");
        putObject(bucket, "q1.csv", "a,b\n1,2\n");
        volumes = temp.volumesPath();
    }
    bool download(const std::string& key, const std::string& path) {
        return funcs.getObject(S(bucket), S(key), S(path));
    }
    bool recordEnds(const std::string& tail) {
        const std::string text = funcs.getLastError().utf8();
        return text.size() >= tail.size() &&
               text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }

    std::string bucket;
    std::string volumes;
};

TEST_F(ObjectDownload, CreatesTheFolderAndMakesItTheCurrentFolder) {
    const std::string home = volumes + "/home/user";
    ScopedEnv homeVariable("HOME", home);
    putObject(bucket, "empty", "");
    const struct {
        std::string key, given, folder, content;
    } rows[] = {
        {"q1.csv", volumes + "/Data/Reports/q1.csv", volumes + "/Data/Reports", "a,b\n1,2\n"},
        {"q1.csv", "~/Downloads/q1.csv", home + "/Downloads", "a,b\n1,2\n"},
        // A relative path holding "/Volumes/" is taken from the current folder.
        {"q1.csv", "rel/Volumes/d/q1.csv", temp.path() + "/rel/Volumes/d", "a,b\n1,2\n"},
        {"empty", volumes + "/empty/q1.csv", volumes + "/empty", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        ASSERT_EQ(::chdir(temp.path().c_str()), 0);
        ASSERT_TRUE(download(row.key, row.given)) << funcs.getLastError().utf8();
        expectCleared();
        EXPECT_EQ(currentFolder(), row.folder);
        EXPECT_EQ(entries(row.folder), std::vector<std::string>{"q1.csv"});
        EXPECT_EQ(readFile(row.folder + "/q1.csv"), row.content);
    }
}

TEST_F(ObjectDownload, MissingObjectTouchesNothingLocal) {
    ASSERT_EQ(::chdir(temp.path().c_str()), 0);
    EXPECT_FALSE(download("absent.csv", volumes + "/new/absent.csv"));
    expectRecord("The specified key does not exist.", "-400", "GetObject");
    EXPECT_FALSE(exists(volumes + "/new"));
    EXPECT_EQ(currentFolder(), temp.path());
}

TEST_F(ObjectDownload, FolderThatCannotBeCreatedIsRefused) {
    writeFile(volumes + "/blocker", "a file in the way");
    EXPECT_FALSE(download("q1.csv", volumes + "/blocker/sub/q1.csv"));
    expectRecord(
        "Failed to create the folder at the destination location. Please check the file path "
        "and try again.",
        "-400", "GetObject");
    EXPECT_EQ(readFile(volumes + "/blocker"), "a file in the way");
}

TEST_F(ObjectDownload, ReplacesAnExistingFileWholeAndKeepsItsPermissions) {
    const std::string target = volumes + "/q1.csv";
    writeFile(target, std::string(1000, 'o'));
    ::chmod(target.c_str(), 0604);
    ASSERT_TRUE(download("q1.csv", target));
    EXPECT_EQ(readFile(target), "a,b\n1,2\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(entries(volumes), std::vector<std::string>{"q1.csv"});
}

TEST_F(ObjectDownload, LinkTargetReplacesTheFileItNames) {
    writeFile(volumes + "/real.csv", "old");
    ASSERT_EQ(::symlink("real.csv", (volumes + "/link.csv").c_str()), 0);
    ASSERT_TRUE(download("q1.csv", volumes + "/link.csv"));
    EXPECT_EQ(readFile(volumes + "/real.csv"), "a,b\n1,2\n");
    struct stat info {};
    ASSERT_EQ(::lstat((volumes + "/link.csv").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(ObjectDownload, PathNamingAFolderOrHoldingNulFailsAsAPlatformError) {
    ASSERT_EQ(::mkdir((volumes + "/existing").c_str(), 0755), 0);
    EXPECT_FALSE(download("q1.csv", volumes + "/existing"));
    EXPECT_TRUE(recordEnds(platformRecord(EISDIR))) << funcs.getLastError().utf8();
    EXPECT_TRUE(entries(volumes + "/existing").empty());

    EXPECT_FALSE(download("q1.csv", volumes + "/slash/"));
    EXPECT_TRUE(recordEnds(platformRecord(EISDIR))) << funcs.getLastError().utf8();
    EXPECT_EQ(entries(volumes), std::vector<std::string>{"existing"});

    // The file calls would stop at the NUL and write the shorter path.
    EXPECT_FALSE(download("q1.csv", volumes + "/cut" + std::string(1, '\0') + "/tail.csv"));
    EXPECT_TRUE(recordEnds(platformRecord(EINVAL))) << funcs.getLastError().utf8();
    EXPECT_EQ(entries(volumes), std::vector<std::string>{"existing"});
}

TEST_F(ObjectDownload, OnlyARegularFileIsReplacedAndAnythingElseCostsNoRequest) {
    const std::string fifo = volumes + "/fifo", device = volumes + "/null",
                      socket = volumes + "/sock";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(makeLinkToDevice(device));
    ASSERT_TRUE(makeSocketFile(socket));
    for (const std::string& path : {fifo, device, socket}) {
        SCOPED_TRACE(path);
        const auto before = nodeKinds(path);
        EXPECT_FALSE(download("q1.csv", path));
        expectRecord("open \"" + path + "\": Not a regular file", std::to_string(EINVAL), "ERROR");
        EXPECT_EQ(nodeKinds(path), before);
    }
    EXPECT_EQ(entries(volumes).size(), 3u + exists(device + ".node"));
    for (const auto& request : requestsFor(bucket)) EXPECT_NE(request.method, "GET");
}

TEST_F(ObjectDownload, FailedWriteLeavesTheExistingFileAndNoTemporaryFile) {
    putObject(bucket, "big", std::string(256 * 1024, 'b'));
    const std::string target = volumes + "/keep.bin";
    writeFile(target, "original");

    // Running as root, only a file size limit makes the write fail.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool downloaded = download("big", target);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);

    EXPECT_FALSE(downloaded);
    EXPECT_TRUE(recordEnds(platformRecord(EFBIG))) << funcs.getLastError().utf8();
    EXPECT_NE(funcs.getLastError().utf8().find(std::strerror(EFBIG)), std::string::npos);
    EXPECT_EQ(readFile(target), "original");
    EXPECT_EQ(entries(volumes), std::vector<std::string>{"keep.bin"});
}

}  // namespace
}  // namespace storage_test
