// Uploading local files as objects, with and without removing them afterwards.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

// A Unix-domain socket file: it exists, but opening it for reading fails, even for root.
class SocketFile {
  public:
    explicit SocketFile(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~SocketFile() { ::close(fd_); }
    SocketFile(const SocketFile&) = delete;
    SocketFile& operator=(const SocketFile&) = delete;
    bool bound() const { return bound_; }

  private:
    int fd_;
    bool bound_ = false;
};

class ObjectUpload : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        authenticate();
        bucket = newBucket("upload");
    }
    bool upload(const std::string& key, const std::string& path, bool deleteAfter) {
        return funcs.postObject(S(bucket), S(key), S(path), deleteAfter);
    }
    std::string keys() {
        EXPECT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
        return property("keys");
    }
    // Whether the server received any upload of the key.
    bool uploadSent(const std::string& key) {
        for (const auto& request : requestsFor(bucket)) {
            if (request.method == "PUT" && request.target.starts_with("/" + bucket + "/" + key)) {
                return true;
            }
        }
        return false;
    }

    std::string bucket;
};

TEST_F(ObjectUpload, ArgumentsAreCheckedInOrder) {
    EXPECT_FALSE(funcs.postObject(S(""), S(""), S(""), false));
    expectRecord("Bucket ID is blank or invalid.", "-4", "PostObject");
    EXPECT_FALSE(funcs.postObject(S(bucket), S(""), S(""), false));
    expectRecord("Object ID is blank or invalid.", "-4", "PostObject");
    EXPECT_FALSE(funcs.postObject(S(bucket), S("k"), kNull, false));
    expectRecord("No file path specified.", "-4", "PostObject");
}

TEST_F(ObjectUpload, StoresTheFileAndKeepsItWithoutTheFlag) {
    const std::string file = temp.path() + "/q1.csv";
    writeFile(file, "content");
    ASSERT_TRUE(upload("q1.csv", file, false)) << funcs.getLastError().utf8();
    expectCleared();
    EXPECT_TRUE(exists(file));
    EXPECT_EQ(keys(), "q1.csv\n");
}

TEST_F(ObjectUpload, FlagRemovesTheFileAfterTheUpload) {
    const std::string file = temp.path() + "/gone.csv";
    writeFile(file, "content");
    ASSERT_TRUE(upload("gone.csv", file, true)) << funcs.getLastError().utf8();
    expectCleared();
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(keys(), "gone.csv\n");
}

TEST_F(ObjectUpload, RelativePathIsTakenFromTheCurrentFolder) {
    ASSERT_EQ(::chdir(temp.path().c_str()), 0);
    writeFile("relative.csv", "here");
    ASSERT_TRUE(upload("relative.csv", "relative.csv", false)) << funcs.getLastError().utf8();
    EXPECT_EQ(keys(), "relative.csv\n");
}

TEST_F(ObjectUpload, TildeIsNotExpanded) {
    ScopedEnv home("HOME", temp.path() + "/home");
    ASSERT_EQ(::mkdir((temp.path() + "/home").c_str(), 0755), 0);
    writeFile(temp.path() + "/home/q1.csv", "in home");
    ASSERT_EQ(::chdir(temp.path().c_str()), 0);
    EXPECT_FALSE(upload("q1.csv", "~/q1.csv", false));
    expectRecord("No file exists at this location.", "-4", "PostObject");

    // A folder literally named "~" below the current folder is what the path names.
    ASSERT_EQ(::mkdir((temp.path() + "/~").c_str(), 0755), 0);
    writeFile(temp.path() + "/~/q1.csv", "literal");
    ASSERT_TRUE(upload("q1.csv", "~/q1.csv", true)) << funcs.getLastError().utf8();
    EXPECT_FALSE(exists(temp.path() + "/~/q1.csv"));
    EXPECT_TRUE(exists(temp.path() + "/home/q1.csv"));
}

TEST_F(ObjectUpload, MissingFileCostsNoRequest) {
    EXPECT_FALSE(upload("missing", temp.volumesPath() + "/missing.csv", false));
    expectRecord("No file exists at this location.", "-4", "PostObject");
    EXPECT_FALSE(uploadSent("missing"));
}

TEST_F(ObjectUpload, FolderIsRefusedAsMissingAndKept) {
    const std::string folder = temp.volumesPath() + "/folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(upload("folder", folder, true));
    expectRecord("No file exists at this location.", "-4", "PostObject");
    EXPECT_TRUE(exists(folder));
    EXPECT_FALSE(uploadSent("folder"));
}

TEST_F(ObjectUpload, UnreadableFileIsNeitherSentNorRemoved) {
    const std::string path = temp.path() + "/sock";
    SocketFile socket(path);
    ASSERT_TRUE(socket.bound());
    EXPECT_FALSE(upload("sock", path, true));
    const std::string record = funcs.getLastError().utf8();
    EXPECT_NE(record.find("CODE: " + std::to_string(ENXIO) + "\nSOURCE: ERROR"), std::string::npos)
        << record;
    EXPECT_NE(record.find(std::strerror(ENXIO)), std::string::npos) << record;
    EXPECT_TRUE(exists(path));
    EXPECT_FALSE(uploadSent("sock"));
}

TEST_F(ObjectUpload, RefusedUploadKeepsTheFileWhateverTheFlag) {
    const std::string file = temp.path() + "/kept.csv";
    writeFile(file, "content");
    EXPECT_FALSE(funcs.postObject(S(bucket + "-missing"), S("kept.csv"), S(file), true));
    expectRecord("The specified bucket does not exist", "-400", "PostObject");
    EXPECT_EQ(readFile(file), "content");
}

TEST_F(ObjectUpload, FailedRemovalIsReportedButTheObjectStays) {
    const std::string file = temp.path() + "/vanish.csv";
    writeFile(file, "content");
    skrw::test::deleteOnPut(bucket, "vanish.csv", file);
    EXPECT_FALSE(upload("vanish.csv", file, true));
    expectRecord(std::strerror(ENOENT), std::to_string(ENOENT).c_str(), "ERROR");
    EXPECT_EQ(keys(), "vanish.csv\n");
}

}  // namespace
}  // namespace storage_test
