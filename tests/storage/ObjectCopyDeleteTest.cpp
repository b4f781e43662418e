// Copying and deleting objects, and keys with awkward characters through every operation.
#include <algorithm>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class ObjectCopyDelete : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        authenticate();
        bucket = newBucket("copy");
    }
    bool copy(const std::string& sourceKey, const std::string& destinationKey) {
        return funcs.copyObjectFromSourceBucket(S(bucket), S(sourceKey), S(bucket),
                                                S(destinationKey));
    }
    // The copy source header of the last copy request into the destination key.
    std::string copySourceSentFor(const std::string& encodedDestination) {
        std::string header;
        for (const auto& request : requestsFor(bucket)) {
            const auto it = request.headers.find("x-amz-copy-source");
            if (it != request.headers.end() &&
                request.target.starts_with("/" + bucket + "/" + encodedDestination)) {
                header = it->second;
            }
        }
        return header;
    }
    std::string download(const std::string& key) {
        const std::string path = temp.volumesPath() + "/download.bin";
        EXPECT_TRUE(funcs.getObject(S(bucket), S(key), S(path)))
            << key << ": " << funcs.getLastError().utf8();
        return readFile(path);
    }

    std::string bucket;
};

TEST_F(ObjectCopyDelete, CopyChecksBucketsBeforeKeys) {
    EXPECT_FALSE(funcs.copyObjectFromSourceBucket(S(bucket), S(""), S(""), S("k")));
    expectRecord("Source or destination folder ID is missing.", "-4", "copyObject");
    EXPECT_FALSE(funcs.copyObjectFromSourceBucket(kNull, S("k"), S(bucket), S("k")));
    expectRecord("Source or destination folder ID is missing.", "-4", "copyObject");
    EXPECT_FALSE(funcs.copyObjectFromSourceBucket(S(bucket), S("k"), S(bucket), S("")));
    expectRecord("Source or destination object ID is missing.", "-4", "copyObject");
    EXPECT_FALSE(funcs.copyObjectFromSourceBucket(S(bucket), kNull, S(bucket), S("k")));
    expectRecord("Source or destination object ID is missing.", "-4", "copyObject");
}

TEST_F(ObjectCopyDelete, DeleteChecksBucketBeforeKey) {
    EXPECT_FALSE(funcs.deleteObject(S(""), S("")));
    expectRecord("Bucket ID is blank or invalid.", "-4", "DeleteObject");
    EXPECT_FALSE(funcs.deleteObject(S(bucket), kNull));
    expectRecord("Object ID is blank or invalid.", "-4", "DeleteObject");
}

TEST_F(ObjectCopyDelete, CopyAndDeleteSucceedWithAClearedRecord) {
    putObject(bucket, "img/a.jpg", "jpeg bytes");
    ASSERT_TRUE(copy("img/a.jpg", "img/b.jpg")) << funcs.getLastError().utf8();
    expectCleared();
    EXPECT_EQ(copySourceSentFor("img/b.jpg"), bucket + "/img/a.jpg");
    EXPECT_EQ(download("img/b.jpg"), "jpeg bytes");
    ASSERT_TRUE(funcs.deleteObject(S(bucket), S("img/a.jpg")));
    expectCleared();
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    EXPECT_EQ(property("keys"), "img/b.jpg\n");
}

TEST_F(ObjectCopyDelete, ServiceFailuresCarryTheServiceMessage) {
    EXPECT_FALSE(copy("absent", "copy"));
    expectRecord("The specified key does not exist.", "-400", "CopyObject");
    EXPECT_FALSE(funcs.deleteObject(S(bucket + "-missing"), S("k")));
    expectRecord("The specified bucket does not exist", "-400", "DeleteObject");
}

TEST_F(ObjectCopyDelete, CopySourceIsEncodedExactlyOnce) {
    putObject(bucket, "a b+c%d.txt", "odd");
    ASSERT_TRUE(copy("a b+c%d.txt", "dest1")) << funcs.getLastError().utf8();
    EXPECT_EQ(copySourceSentFor("dest1"), bucket + "/a%20b%2Bc%25d.txt");

    putObject(bucket, "\xC3\xBC/\xE6\x97\xA5.txt", "unicode");
    ASSERT_TRUE(copy("\xC3\xBC/\xE6\x97\xA5.txt", "dest2")) << funcs.getLastError().utf8();
    EXPECT_EQ(copySourceSentFor("dest2"), bucket + "/%C3%BC/%E6%97%A5.txt");

    // Dot segments and doubled slashes are part of the key and travel as they are.
    copy("x/../y//z~_-.txt", "dest3");
    EXPECT_EQ(copySourceSentFor("dest3"), bucket + "/x/../y//z~_-.txt");
}

TEST_F(ObjectCopyDelete, DotSegmentsAndDoubledSlashesReachTheServiceUnchanged) {
    const std::string file = temp.path() + "/dots";
    writeFile(file, "dots");
    funcs.postObject(S(bucket), S("a/../b.txt"), S(file), false);
    funcs.postObject(S(bucket), S("x//y.txt"), S(file), false);
    funcs.deleteObject(S(bucket), S("./c.txt"));
    std::vector<std::string> targets;
    for (const auto& request : requestsFor(bucket)) {
        if (request.method == "PUT" || request.method == "DELETE") {
            targets.push_back(request.target.substr(0, request.target.find('?')));
        }
    }
    const std::string base = "/" + bucket + "/";
    EXPECT_NE(std::find(targets.begin(), targets.end(), base + "a/../b.txt"), targets.end());
    EXPECT_NE(std::find(targets.begin(), targets.end(), base + "x//y.txt"), targets.end());
    EXPECT_NE(std::find(targets.begin(), targets.end(), base + "./c.txt"), targets.end());
}

TEST_F(ObjectCopyDelete, AwkwardKeysRoundTripThroughEveryOperation) {
    const std::vector<std::string> keys = {"with space.txt", "plus+sign.txt", "100%.txt",
                                           "\xC3\xBCnic\xC3\xB8"
                                           "de/\xE6\x97\xA5\xE6\x9C\xAC.txt"};
    for (const auto& key : keys) putObject(bucket, key, "body of " + key);
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    std::string listed = property("keys");
    EXPECT_EQ(listed, "100%.txt\nplus+sign.txt\nwith space.txt\n" + keys[3] + "\n");

    for (const auto& key : keys) {
        ASSERT_TRUE(copy(key, "copy/" + key)) << key << ": " << funcs.getLastError().utf8();
        EXPECT_EQ(download("copy/" + key), "body of " + key);
        EXPECT_EQ(download(key), "body of " + key);
    }
    for (const auto& key : keys) {
        EXPECT_TRUE(funcs.deleteObject(S(bucket), S(key))) << key;
        EXPECT_TRUE(funcs.deleteObject(S(bucket), S("copy/" + key))) << key;
    }
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    EXPECT_EQ(property("count"), "0");
}

}  // namespace
}  // namespace storage_test
