// The list of all buckets, creating and deleting buckets, the region credentials bring, and one
// page of a bucket's contents: what reaches the service and what the listing answers.
#include "StorageTestFixture.h"

namespace storage_test {
namespace {

class Buckets : public SignedInTest {
  protected:
    void SetUp() override {
        SignedInTest::SetUp();
        bucket = newBucket("buckets");
    }
    std::vector<std::string> listingTargets() {
        std::vector<std::string> targets;
        for (const auto& request : requestsFor(bucket)) {
            if (queryValue(request.target, "list-type")) targets.push_back(request.target);
        }
        return targets;
    }
    std::string bucket;
};

TEST_F(Buckets, CreatedBucketIsListedUntilDeletedAndItsLastListingOutlivesIt) {
    const std::string all = funcs.listBuckets().utf8();  // one line feed after each name
    expectCleared();
    EXPECT_NE(("\n" + all).find("\n" + bucket + "\n"), std::string::npos) << all;
    EXPECT_EQ(all.back(), '\n');
    EXPECT_EQ(all.find("\n\n"), std::string::npos);
    putObject(bucket, "keep.txt", "x");
    ASSERT_TRUE(list(bucket));
    ASSERT_TRUE(funcs.deleteObject(S(bucket), S("keep.txt")));
    EXPECT_TRUE(funcs.deleteBucket(S(bucket)));
    expectCleared();
    EXPECT_EQ(funcs.listBuckets().utf8().find(bucket + "\n"), std::string::npos);
    EXPECT_EQ(property("keys"), "keep.txt\n");
}

// The region of the parameters signs later bucket operations, exactly as written, and outlives a
// refused probe; neither a probe nor the list of all buckets is signed for it. The service refuses
// "us-east-1" as a location constraint: a bucket there is created with an empty body, whatever
// text named the region.
TEST_F(Buckets, RegionSignsLaterBucketOperationsAndOnlyAKnownOneOtherThanUsEast1IsAConstraint) {
    const std::string own = "EU-West-" + uniqueName("r");  // only this test signs with it
    const std::string emptyBody =
        "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const std::tuple<std::string, std::string, bool> rows[] = {
        {"", "us-east-1", false},
        {"x=1;REGION=US-EAST-1;region=eu-west-1", "US-EAST-1", false},
        {"region=" + own, own, false},
        {"Region=EU-West-1", "EU-West-1", true}};
    for (const auto& [parameters, region, configured] : rows) {
        SCOPED_TRACE(parameters);
        authenticate(S(parameters));
        EXPECT_FALSE(funcs.useCredentialsForService(S("s3"), S(kAccessKey), S("bad"), kNull));
        EXPECT_NE(funcs.listBuckets().utf8(), "!!ERROR!!");
        const auto requests = requestsFor(newBucket("region"));
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].headers.at("x-amz-content-sha256") != emptyBody, configured);
        ASSERT_TRUE(list(bucket));
        for (const auto& request : {requests[0], requestsFor(bucket).back()}) {
            EXPECT_EQ(signedRegion(request), region);
        }
    }
    for (const auto& request : recordedRequests()) {
        EXPECT_FALSE(signedRegion(request) == own && request.target == "/");
    }
}

// Only a given prefix and delimiter are sent, and a given token even when empty; no owner is
// asked for. The listing answers its objects by index.
TEST_F(Buckets, ListingSendsWhatWasGivenAndAnswersItsObjectsByIndex) {
    for (const char* key : {"README", "a/b/2.txt", "a/1.txt"}) putObject(bucket, key, key);
    ASSERT_TRUE(funcs.getBucket(S(bucket), S(""), S(""), kNull, kNull));
    expectCleared();
    std::string texts;
    for (const auto& [name, index] : {std::pair{"KEYS", 0},
                                      {"Count", 0},
                                      {"isTruncated", 0},
                                      {"key", 2},
                                      {"size", 0},
                                      {"etag", 0},
                                      {"storageclass", 1}}) {
        texts += property(name, index) + " ";
    }
    EXPECT_EQ(texts,
              "README\na/1.txt\na/b/2.txt\n 3 false a/b/2.txt 6 "
              "\"c47c7c7383225ab55ff591cb59c41e6b\" STANDARD ");
    EXPECT_EQ(property("lastmodified", 0).size(), 20u);
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, S("")));
    ASSERT_TRUE(funcs.getBucket(S(bucket), S("a/"), S("/"), kNull, kNull));
    EXPECT_EQ(property("keys"), "a/1.txt\n");  // grouped keys are not listed
    const auto targets = listingTargets();
    ASSERT_EQ(targets.size(), 3u);
    for (const char* name : {"prefix", "delimiter", "continuation-token", "fetch-owner"}) {
        EXPECT_FALSE(queryValue(targets[0], name)) << targets[0];
    }
    EXPECT_EQ(queryValue(targets[1], "continuation-token"), "") << targets[1];
    EXPECT_EQ(*queryValue(targets[2], "prefix") + *queryValue(targets[2], "delimiter"), "a%2F%2F");
}

// The service decides on 0 and negative numbers.
TEST_F(Buckets, MaximumKeysTextsReachTheServiceAsTheirLeadingNumber) {
    const std::vector<std::pair<platform::String, std::string>> rows = {
        {kNull, "1000"},        {S(""), "1000"}, {S("25 items"), "25"},
        {S("  25"), "25"},      {S("abc"), "0"}, {S("-5"), "-5"},
        {S("4294967297"), "1"}, {S("+7"), "7"},  {S("4294967295"), "-1"}};
    std::vector<std::string> expected, sent;
    for (const auto& [text, number] : rows) {
        funcs.getBucket(S(bucket), kNull, kNull, text, kNull);
        expected.push_back(number);
    }
    for (const auto& target : listingTargets()) sent.push_back(*queryValue(target, "max-keys"));
    EXPECT_EQ(sent, expected);
}

TEST_F(Buckets, PagesWithTheNextContinuationTokenThatOutlivesAFailure) {
    for (const char* key : {"k1", "k2", "k3", "k4", "k5"}) putObject(bucket, key, key);
    std::string all;
    platform::String token;  // absent on the first page
    for (int page = 0; page < 3; ++page) {
        ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, S("2"), token));
        all += property("keys");
        EXPECT_EQ(property("istruncated"), page < 2 ? "true" : "false");
        token = S(property("nextcontinuationtoken"));
        EXPECT_EQ(token.isEmpty(), page == 2);  // the last page leads nowhere
        EXPECT_FALSE(list(bucket + "-missing"));
        EXPECT_EQ(property("nextcontinuationtoken"), token.utf8());
    }
    EXPECT_EQ(all, "k1\nk2\nk3\nk4\nk5\n");
}

}  // namespace
}  // namespace storage_test
