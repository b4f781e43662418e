// Creating and deleting buckets.
#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class BucketOperations : public SignedInTest {
  protected:
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

TEST_F(BucketOperations, CreatedBucketIsListedUntilDeletedAndItsLastListingOutlivesIt) {
    const std::string bucket = skrw::test::uniqueName("life");
    EXPECT_TRUE(funcs.createBucket(S(bucket)));
    expectCleared();
    EXPECT_TRUE(listed(funcs.listBuckets().utf8(), bucket));
    putObject(bucket, "keep.txt", "x");
    ASSERT_TRUE(list(bucket));
    ASSERT_TRUE(funcs.deleteObject(S(bucket), S("keep.txt")));
    EXPECT_TRUE(funcs.deleteBucket(S(bucket)));
    expectCleared();
    EXPECT_FALSE(listed(funcs.listBuckets().utf8(), bucket));
    EXPECT_EQ(property("keys"), "keep.txt\n");
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

}  // namespace
}  // namespace storage_test
