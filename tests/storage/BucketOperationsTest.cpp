// Creating and deleting buckets.
#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class BucketOperations : public StorageTest {
  protected:
    void SetUp() override {
        StorageTest::SetUp();
        authenticate();
    }
    static bool listed(const std::string& list, const std::string& bucket) {
        return list.find(bucket + "\n") != std::string::npos;
    }
    // The creation request the server received for the bucket.
    static skrw::test::RecordedRequest creationRequest(const std::string& bucket) {
        for (const auto& request : requestsFor(bucket)) {
            if (request.method == "PUT" && request.target == "/" + bucket) return request;
        }
        ADD_FAILURE() << "no creation request for " << bucket;
        return {};
    }
    static long long bodyLength(const skrw::test::RecordedRequest& request) {
        const auto it = request.headers.find("content-length");
        return it == request.headers.end() ? 0 : std::stoll(it->second);
    }
};

TEST_F(BucketOperations, NullAndEmptyNamesAreRefusedBeforeAnyRequest) {
    EXPECT_FALSE(funcs.createBucket(kNull));
    expectRecord("Bucket ID is blank or invalid.", "-4", "CreateFolder");
    EXPECT_FALSE(funcs.createBucket(S("")));
    expectRecord("Bucket ID is blank or invalid.", "-4", "CreateFolder");
    EXPECT_FALSE(funcs.deleteBucket(kNull));
    expectRecord("Bucket ID is blank or invalid.", "-4", "DeleteFolder");
    EXPECT_FALSE(funcs.deleteBucket(S("")));
    expectRecord("Bucket ID is blank or invalid.", "-4", "DeleteFolder");
}

TEST_F(BucketOperations, CreatedBucketIsListedUntilDeleted) {
    const std::string bucket = skrw::test::uniqueName("life");
    EXPECT_TRUE(funcs.createBucket(S(bucket)));
    expectCleared();
    EXPECT_TRUE(listed(funcs.listBuckets().utf8(), bucket));
    EXPECT_TRUE(funcs.deleteBucket(S(bucket)));
    expectCleared();
    EXPECT_FALSE(listed(funcs.listBuckets().utf8(), bucket));
}

TEST_F(BucketOperations, WithoutARegionTheBucketIsCreatedWithoutConfiguration) {
    const std::string plain = newBucket("plain");
    const auto request = creationRequest(plain);
    EXPECT_EQ(bodyLength(request), 0);
    EXPECT_EQ(signedRegion(request), "us-east-1");

    // "us-east-1" itself is refused by the service as a constraint, so it is never sent.
    authenticate(S("region=US-EAST-1"));
    EXPECT_EQ(bodyLength(creationRequest(newBucket("east"))), 0);
}

TEST_F(BucketOperations, KnownRegionIsSentAsTheLocationConstraint) {
    authenticate(S("region=EU-West-1"));
    const auto request = creationRequest(newBucket("west"));
    EXPECT_GT(bodyLength(request), 0);
    // The client keeps the stored text unchanged.
    EXPECT_EQ(signedRegion(request), "EU-West-1");
}

TEST_F(BucketOperations, ServiceRefusalsCarryTheServiceMessage) {
    const std::string bucket = newBucket("refuse");
    putObject(bucket, "keep.txt", "x");
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));

    // The test server's own wording, passed on as it is.
    EXPECT_FALSE(funcs.deleteBucket(S(bucket)));
    expectRecord("The bucket your tried to delete is not empty", "-400", "DeleteFolder");
    EXPECT_FALSE(funcs.deleteBucket(S(bucket + "-missing")));
    expectRecord("The specified bucket does not exist", "-400", "DeleteFolder");
    EXPECT_FALSE(funcs.createBucket(S("Not_A_Valid_Bucket")));
    EXPECT_EQ(funcs.getLastErrorCode().utf8(), "-400");
    EXPECT_NE(funcs.getLastError().utf8().find("SOURCE: CreateFolder"), std::string::npos);

    // Deleting the listed bucket leaves the last listing readable.
    ASSERT_TRUE(funcs.deleteObject(S(bucket), S("keep.txt")));
    ASSERT_TRUE(funcs.deleteBucket(S(bucket)));
    EXPECT_EQ(property("keys"), "keep.txt\n");
}

}  // namespace
}  // namespace storage_test
