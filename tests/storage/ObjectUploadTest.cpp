// Uploading local files as objects, with and without removing them afterwards.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

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
    // A link to a file is sent as the file; the flag removes the link and keeps the file.
    writeFile(temp.path() + "/named.csv", "named");
    ASSERT_EQ(::symlink("named.csv", (temp.path() + "/link.csv").c_str()), 0);
    ASSERT_TRUE(upload("link.csv", temp.path() + "/link.csv", true)) << funcs.getLastError().utf8();
    EXPECT_EQ(nodeKinds(temp.path() + "/link.csv").first, 0u);
    EXPECT_EQ(readFile(temp.path() + "/named.csv"), "named");
    EXPECT_EQ(keys(), "gone.csv\nkept.csv\nlink.csv\n");
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

TEST_F(ObjectUpload, OnlyRegularFilesAreSentAndSpecialOnesAreNeverRemoved) {
    const std::string fifo = temp.path() + "/fifo", device = temp.path() + "/null",
                      socket = temp.path() + "/sock";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no writer: opening it must not hang
    ASSERT_TRUE(makeLinkToDevice(device));
    ASSERT_TRUE(makeSocketFile(socket));
    for (const std::string& path : {fifo, device, socket}) {
        SCOPED_TRACE(path);
        const auto before = nodeKinds(path);
        EXPECT_FALSE(upload("special", path, true));
        expectRecord("open \"" + path + "\": Not a regular file", std::to_string(EINVAL), "ERROR");
        EXPECT_EQ(nodeKinds(path), before);
    }
    EXPECT_FALSE(uploadSent("special"));

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
    skrw::test::changeOnPut(bucket, "vanish.csv", file, "delete");
    EXPECT_FALSE(upload("vanish.csv", file, true));
    expectRecord(std::strerror(ENOENT), std::to_string(ENOENT), "ERROR");
    EXPECT_EQ(keys(), "vanish.csv\n");
}

TEST_F(ObjectUpload, FileChangedDuringTheUploadIsKept) {
    const struct {
        const char* change;
        std::string content;  // of the file, or of the folder's "kept.txt"
    } rows[] = {{"replace", "replaced"}, {"append", "contentappended"}, {"folder", "kept"}};
    const std::string path = temp.path() + "/changing";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.change);
        std::filesystem::remove_all(path);
        writeFile(path, "content");
        skrw::test::changeOnPut(bucket, row.change, path, row.change);
        EXPECT_FALSE(upload(row.change, path, true));
        expectRecord("The file changed during the upload and was not removed.",
                     std::to_string(ESTALE), "ERROR");
        const bool folder = std::filesystem::is_directory(path);
        EXPECT_EQ(folder, std::string(row.change) == "folder");
        EXPECT_EQ(readFile(folder ? path + "/kept.txt" : path), row.content);
    }
    EXPECT_EQ(keys(), "append\nfolder\nreplace\n");
}

}  // namespace
}  // namespace storage_test
