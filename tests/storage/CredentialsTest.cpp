// Accepting credentials, the region they bring, the list of all buckets and the error record's
// accessors.
#include "StorageTestFixture.h"

namespace storage_test {
namespace {

using Credentials = StorageTest;

// No request of the listing of all buckets (the probe included) is signed for `region`: those
// requests always use the default region, whatever region the credentials brought. Other test
// processes share the server, so the region is one only this test uses.
void expectNoBucketListingSignedFor(const std::string& region) {
    int seen = 0;
    for (const auto& request : skrw::test::recordedRequests()) {
        if (request.method == "GET" && request.target == "/") {
            ++seen;
            EXPECT_NE(signedRegion(request), region);
        }
    }
    EXPECT_GT(seen, 0);
}

TEST_F(Credentials, BeforeAnyCredentialsListingsNeedAModuleAndOthersAuthentication) {
    EXPECT_EQ(funcs.listBuckets().utf8(), "!!ERROR!!");
    expectRecord("Invalid module specified.", "-1000", "listFolders");
    EXPECT_EQ(funcs.getLastErrorCode().utf8(), "-1000");

    EXPECT_FALSE(funcs.getBucket(S(""), kNull, kNull, kNull, kNull));
    expectRecord("Invalid module specified.", "-1000", "getBucket");

    // The credential test comes before every argument test.
    EXPECT_FALSE(funcs.createBucket(kNull));
    expectRecord("System not authenticated.", "-400", "CreateFolder");
    EXPECT_FALSE(funcs.deleteBucket(S("")));
    expectRecord("System not authenticated.", "-400", "DeleteFolder");
    EXPECT_FALSE(funcs.getObject(S(""), S(""), S("")));
    expectRecord("System not authenticated.", "-400", "GetObject");
    EXPECT_FALSE(funcs.postObject(kNull, kNull, kNull, true));
    expectRecord("System not authenticated.", "-400", "PostObject");
    EXPECT_FALSE(funcs.copyObjectFromSourceBucket(S(""), S(""), S(""), S("")));
    expectRecord("System not authenticated.", "-400", "");
    EXPECT_FALSE(funcs.deleteObject(S(""), S("")));
    expectRecord("System not authenticated.", "-400", "DeleteObject");
}

TEST_F(Credentials, ServiceNameIsCheckedBeforeAnyRequest) {
    EXPECT_FALSE(funcs.useCredentialsForService(kNull, S("a"), S("b"), kNull));
    expectRecord("Service cannot be empty or null.", "-4", "useCredentials");
    EXPECT_FALSE(funcs.useCredentialsForService(S(""), S("a"), S("b"), kNull));
    expectRecord("Service cannot be empty or null.", "-4", "useCredentials");
    for (const char* service : {"s3 ", "gcs", "s3x", " aws"}) {
        EXPECT_FALSE(funcs.useCredentialsForService(S(service), S("a"), S("b"), kNull));
        expectRecord("Invalid module specified.", "-1000", "UseCredentials");
    }
    EXPECT_EQ(funcs.listBuckets().utf8(), "!!ERROR!!");
    expectRecord("Invalid module specified.", "-1000", "listFolders");
}

TEST_F(Credentials, S3AndAwsAreAcceptedInAnyCase) {
    for (const char* service : {"s3", "S3", "aws", "Aws", "AWS"}) {
        EXPECT_TRUE(funcs.useCredentialsForService(S(service), S(skrw::test::kAccessKey),
                                                   S(skrw::test::kSecretKey), kNull))
            << service << ": " << funcs.getLastError().utf8();
        expectCleared();
    }
}

TEST_F(Credentials, RefusedProbeRecordsAFixedMessageAndAcceptsNothing) {
    EXPECT_FALSE(
        funcs.useCredentialsForService(S("s3"), S(skrw::test::kAccessKey), S("wrong"), kNull));
    expectRecord("Failed to list buckets", "-400", "UseCredentials");
    EXPECT_FALSE(funcs.useCredentialsForService(S("s3"), S(""), S(""), kNull));
    expectRecord("Failed to list buckets", "-400", "UseCredentials");
    EXPECT_EQ(funcs.listBuckets().utf8(), "!!ERROR!!");
    expectRecord("Invalid module specified.", "-1000", "listFolders");
}

TEST_F(Credentials, FailedProbeKeepsEarlierCredentialsAndRegion) {
    authenticate();
    const std::string bucket = newBucket("keep");
    authenticate(S("region=eu-west-1"));
    EXPECT_FALSE(
        funcs.useCredentialsForService(S("aws"), S(skrw::test::kAccessKey), S("wrong"), kNull));
    expectRecord("Failed to list buckets", "-400", "UseCredentials");

    const std::string list = funcs.listBuckets().utf8();
    EXPECT_NE(list.find(bucket + "\n"), std::string::npos);
    expectCleared();
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    EXPECT_EQ(signedRegion(requestsFor(bucket).back()), "eu-west-1");
}

TEST_F(Credentials, RegionAppliesToLaterBucketOperationsButNeverToListingAllBuckets) {
    authenticate();
    const std::string bucket = newBucket("region");

    authenticate(S("foo=1;REGION=us-west-2;region=sa-east-1"));
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    EXPECT_EQ(signedRegion(requestsFor(bucket).back()), "us-west-2");

    // The stored region reaches the client exactly as written.
    const std::string region = "EU-West-" + skrw::test::uniqueName("r");
    authenticate(S("Region=" + region));
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    EXPECT_EQ(signedRegion(requestsFor(bucket).back()), region);
    EXPECT_NE(funcs.listBuckets().utf8(), "!!ERROR!!");

    // Accepted credentials without a region pair set the region back to the default.
    authenticate(S("other=1"));
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, kNull, kNull));
    EXPECT_EQ(signedRegion(requestsFor(bucket).back()), "us-east-1");

    expectNoBucketListingSignedFor(region);
}

TEST_F(Credentials, ListOfAllBucketsHasOneLineFeedAfterEachName) {
    authenticate();
    const std::string alpha = newBucket("alpha");
    const std::string beta = newBucket("beta");
    const std::string list = funcs.listBuckets().utf8();
    expectCleared();
    EXPECT_NE(list.find(alpha + "\n"), std::string::npos);
    EXPECT_NE(list.find(beta + "\n"), std::string::npos);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back(), '\n');
    EXPECT_EQ(list.find("\r"), std::string::npos);
    EXPECT_EQ(list.find("\n\n"), std::string::npos);
}

TEST_F(Credentials, SetErrorIsReadBackUntilTheNextOperationClearsIt) {
    funcs.SetError(S("Invalid parameter specified"), S("-4"), S("SKRW_Version"));
    const char* expected = "MESSAGE: Invalid parameter specified\nCODE: -4\nSOURCE: SKRW_Version";
    EXPECT_EQ(funcs.getLastError().utf8(), expected);
    EXPECT_EQ(funcs.getLastError().utf8(), expected);
    EXPECT_EQ(funcs.getLastErrorCode().utf8(), "-4");
    EXPECT_EQ(funcs.getBucketProperty(S("count"), 0).utf8(), "0");
    expectCleared();
}

}  // namespace
}  // namespace storage_test
