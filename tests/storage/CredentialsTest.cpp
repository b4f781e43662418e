// Accepting credentials, the region they bring, the list of all buckets and the error record's
// accessors.
#include <functional>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

using Credentials = StorageTest;

TEST_F(Credentials, BeforeAnyCredentialsListingsNeedAModuleAndOthersAuthentication) {
    EXPECT_EQ(funcs.listBuckets().utf8(), "!!ERROR!!");
    expectRecord("Invalid module specified.", "-1000", "listFolders");
    EXPECT_EQ(funcs.getLastErrorCode().utf8(), "-1000");

    // The credential test comes before every argument test.
    const auto e = S("");
    const std::pair<std::function<bool()>, const char*> rows[] = {
        {[&] { return funcs.createBucket(kNull); }, "CreateFolder"},
        {[&] { return funcs.deleteBucket(e); }, "DeleteFolder"},
        {[&] { return funcs.getObject(e, e, e); }, "GetObject"},
        {[&] { return funcs.postObject(kNull, kNull, kNull, true); }, "PostObject"},
        {[&] { return funcs.copyObjectFromSourceBucket(e, e, e, e); }, ""},
        {[&] { return funcs.deleteObject(e, e); }, "DeleteObject"},
    };
    for (const auto& [operation, source] : rows) {
        SCOPED_TRACE(source);
        EXPECT_FALSE(operation());
        expectRecord("System not authenticated.", "-400", source);
    }
    EXPECT_FALSE(funcs.getBucket(e, kNull, kNull, kNull, kNull));
    expectRecord("Invalid module specified.", "-1000", "getBucket");
}

TEST_F(Credentials, ServiceIsS3OrAwsInAnyCaseCheckedBeforeAnyRequest) {
    const std::string empty =
        "MESSAGE: Service cannot be empty or null.\nCODE: -4\nSOURCE: useCredentials";
    const std::string unknown =
        "MESSAGE: Invalid module specified.\nCODE: -1000\nSOURCE: UseCredentials";
    const std::string accepted = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";
    const std::pair<platform::String, std::string> rows[] = {
        {kNull, empty},       {S(""), empty},       {S("s3 "), unknown},  {S("gcs"), unknown},
        {S("s3x"), unknown},  {S(" aws"), unknown}, {S("s3"), accepted},  {S("S3"), accepted},
        {S("aws"), accepted}, {S("Aws"), accepted}, {S("AWS"), accepted},
    };
    for (const auto& [service, record] : rows) {
        SCOPED_TRACE("service \"" + service.utf8() + "\"");
        EXPECT_EQ(funcs.useCredentialsForService(service, S(skrw::test::kAccessKey),
                                                 S(skrw::test::kSecretKey), kNull),
                  record == accepted);
        EXPECT_EQ(funcs.getLastError().utf8(), record);
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

TEST_F(Credentials, FailedProbeKeepsEarlierCredentialsAndRegionForListings) {
    authenticate();
    const std::string bucket = newBucket("keep");
    authenticate(S("region=eu-west-1"));
    EXPECT_FALSE(
        funcs.useCredentialsForService(S("aws"), S(skrw::test::kAccessKey), S("wrong"), kNull));
    expectRecord("Failed to list buckets", "-400", "UseCredentials");

    // The list has one line feed after each name.
    const std::string all = funcs.listBuckets().utf8();
    expectCleared();
    EXPECT_NE(("\n" + all).find("\n" + bucket + "\n"), std::string::npos) << all;
    EXPECT_EQ(all.back(), '\n');
    EXPECT_EQ(all.find('\r'), std::string::npos);
    EXPECT_EQ(all.find("\n\n"), std::string::npos);
    ASSERT_TRUE(list(bucket));
    EXPECT_EQ(signedRegion(requestsFor(bucket).back()), "eu-west-1");
}

TEST_F(Credentials, RegionAppliesToLaterBucketOperationsButNeverToListingAllBuckets) {
    authenticate();
    const std::string bucket = newBucket("region");
    // A region only this test uses: other test processes share the server.
    const std::string own = "EU-West-" + skrw::test::uniqueName("r");
    const std::pair<std::string, std::string> rows[] = {
        {"foo=1;REGION=us-west-2;region=sa-east-1", "us-west-2"},
        {"Region=" + own, own},  // reaches the client exactly as written
        {"other=1", "us-east-1"},
    };
    for (const auto& [parameters, region] : rows) {
        authenticate(S(parameters));
        ASSERT_TRUE(list(bucket));
        EXPECT_EQ(signedRegion(requestsFor(bucket).back()), region) << parameters;
        EXPECT_NE(funcs.listBuckets().utf8(), "!!ERROR!!");
    }
    // The region marks this test's own requests: none of them lists all buckets.
    for (const auto& request : skrw::test::recordedRequests()) {
        if (signedRegion(request) == own) {
            EXPECT_NE(request.target, "/");
        }
    }
}

}  // namespace
}  // namespace storage_test
