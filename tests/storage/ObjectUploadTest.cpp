// Uploading local files as objects, with and without removing them afterwards.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

// Leaves a Unix-domain socket file at the path: it exists, but opening it fails, even for root.
bool makeSocketFile(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

class ObjectUpload : public SignedInTest {
  protected:
    void SetUp() override {
        SignedInTest::SetUp();
        bucket = newBucket("upload");
    }
    bool upload(const std::string& key, const std::string& path, bool deleteAfter) {
        return funcs.postObject(S(bucket), S(key), S(path), deleteAfter);
    }
    std::string keys() {
        EXPECT_TRUE(list(bucket));
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

TEST_F(ObjectUpload, StoresTheFileAndRemovesItOnlyWithTheFlag) {
    for (const bool deleteAfter : {false, true}) {
        SCOPED_TRACE(deleteAfter);
        const std::string key = deleteAfter ? "gone.csv" : "kept.csv";
        const std::string file = temp.path() + "/" + key;
        writeFile(file, "content");
        ASSERT_TRUE(upload(key, file, deleteAfter)) << funcs.getLastError().utf8();
        expectCleared();
        EXPECT_EQ(exists(file), !deleteAfter);
    }
    EXPECT_EQ(keys(), "gone.csv\nkept.csv\n");
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

TEST_F(ObjectUpload, MissingFileOrAFolderCostsNoRequestAndIsKept) {
    const std::string folder = temp.volumesPath() + "/folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    for (const auto& [key, path] :
         {std::pair{"missing", temp.volumesPath() + "/missing.csv"}, {"folder", folder}}) {
        EXPECT_FALSE(upload(key, path, true));
        expectRecord("No file exists at this location.", "-4", "PostObject");
        EXPECT_FALSE(uploadSent(key)) << key;
    }
    EXPECT_TRUE(exists(folder));
}

TEST_F(ObjectUpload, UnreadableFileIsNeitherSentNorRemoved) {
    const std::string path = temp.path() + "/sock";
    ASSERT_TRUE(makeSocketFile(path));
    EXPECT_FALSE(upload("sock", path, true));
    const std::string record = funcs.getLastError().utf8();
    EXPECT_NE(record.find("CODE: " + std::to_string(ENXIO) + "\nSOURCE: ERROR"), std::string::npos)
        << record;
    EXPECT_NE(record.find(std::strerror(ENXIO)), std::string::npos) << record;
    EXPECT_TRUE(exists(path));
    EXPECT_FALSE(uploadSent("sock"));

    // The file calls would stop at the NUL and read the shorter path.
    const std::string shorter = temp.path() + "/cut";
    writeFile(shorter, "not to be sent");
    EXPECT_FALSE(upload("cut", shorter + std::string(1, '\0') + "tail", true));
    const std::string refused = funcs.getLastError().utf8();
    EXPECT_NE(refused.find("CODE: " + std::to_string(EINVAL) + "\nSOURCE: ERROR"),
              std::string::npos)
        << refused;
    EXPECT_EQ(refused.find('\0'), std::string::npos);  // a NUL would cut the record short
    EXPECT_TRUE(exists(shorter));
    EXPECT_FALSE(uploadSent("cut"));
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
    expectRecord(std::strerror(ENOENT), std::to_string(ENOENT), "ERROR");
    EXPECT_EQ(keys(), "vanish.csv\n");
}

}  // namespace
}  // namespace storage_test
