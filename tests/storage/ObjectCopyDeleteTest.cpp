// Copying and deleting objects, and keys with awkward characters through every operation.
#include <algorithm>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class ObjectCopyDelete : public SignedInTest {
  protected:
    void SetUp() override {
        SignedInTest::SetUp();
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
    ASSERT_TRUE(list(bucket));
    EXPECT_EQ(property("keys"), "100%.txt\nplus+sign.txt\nwith space.txt\n" + keys[3] + "\n");

    for (const auto& key : keys) {
        ASSERT_TRUE(copy(key, "copy/" + key)) << key << ": " << funcs.getLastError().utf8();
        expectCleared();
        EXPECT_EQ(download("copy/" + key), "body of " + key);
        EXPECT_EQ(download(key), "body of " + key);
    }
    for (const auto& key : keys) {
        EXPECT_TRUE(funcs.deleteObject(S(bucket), S(key))) << key;
        EXPECT_TRUE(funcs.deleteObject(S(bucket), S("copy/" + key))) << key;
        expectCleared();
    }
    ASSERT_TRUE(list(bucket));
    EXPECT_EQ(property("count"), "0");
}

}  // namespace
}  // namespace storage_test
