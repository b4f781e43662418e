// One page of a bucket's contents and the properties read from the last listing.
#include <time.h>

#include "StorageTestFixture.h"

namespace storage_test {
namespace {

// Seconds since the epoch of a "%Y-%m-%dT%H:%M:%SZ" text read as if it were UTC.
long long asUtcSeconds(const std::string& text) {
    struct tm parts {};
    const char* end = ::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &parts);
    EXPECT_TRUE(end != nullptr && *end == '\0') << text;
    return static_cast<long long>(::timegm(&parts));
}

class BucketListing : public SignedInTest {
  protected:
    // The max-keys values of the bucket's listing requests, in order.
    std::vector<std::string> maxKeysSent(const std::string& bucket) {
        std::vector<std::string> values;
        for (const auto& request : requestsFor(bucket)) {
            if (queryValue(request.target, "list-type")) {
                values.push_back(queryValue(request.target, "max-keys").value_or("<absent>"));
            }
        }
        return values;
    }
};

TEST_F(BucketListing, NewObjectHasAnEmptyListing) {
    EXPECT_EQ(property("keys"), "");
    EXPECT_EQ(property("count"), "0");
    EXPECT_EQ(property("istruncated"), "false");
    EXPECT_EQ(property("nextcontinuationtoken"), "");
    expectCleared();
    for (const char* name : {"key", "owner", " count"}) {
        EXPECT_EQ(property(name), "!!ERROR!!") << name;
        expectRecord("No folder contents to access", "-4", "getPropertyforFolder");
    }
    EXPECT_EQ(funcs.getBucketProperty(kNull, 0).utf8(), "!!ERROR!!");
    expectRecord("Property name cannot be blank or null.", "-4", "getPropertyForFolder");
    EXPECT_EQ(property(""), "!!ERROR!!");
    expectRecord("Property name cannot be blank or null.", "-4", "getPropertyForFolder");
}

TEST_F(BucketListing, ObjectPropertiesByIndex) {
    const std::string bucket = newBucket("props");
    putObject(bucket, "README", "read me");
    putObject(bucket, "photos/cat.jpg", std::string(1234, 'c'));
    putObject(bucket, ".hidden", "");
    ASSERT_TRUE(list(bucket));
    expectCleared();

    EXPECT_EQ(property("KEYS"), ".hidden\nREADME\nphotos/cat.jpg\n");
    EXPECT_EQ(property("Count"), "3");
    EXPECT_EQ(property("isTruncated"), "false");
    EXPECT_EQ(property("key", 1), "README");
    EXPECT_EQ(property("name", 2), "photos/cat.jpg");
    EXPECT_EQ(property("displayname", 0), ".hidden");
    EXPECT_EQ(property("size", 2), "1234");
    EXPECT_EQ(property("size", 0), "0");
    EXPECT_EQ(property("etag", 1), "\"ef7b5181c1f63f8ca8eebaab0829ee38\"");
    EXPECT_EQ(property("storageclass", 1), "STANDARD");
    EXPECT_EQ(property("isfolder", 1), "true");
    EXPECT_EQ(property("isfolder", 0), "false");
    EXPECT_EQ(property("isfolder", 2), "false");
    EXPECT_EQ(property("owner", 2), "");
    {
        ScopedEnv zone("TZ", "UTC0");
        ::tzset();
        const std::string utc = property("lastmodified", 1);
        EXPECT_EQ(utc.size(), 20u);
        EXPECT_LT(std::llabs(asUtcSeconds(utc) - static_cast<long long>(::time(nullptr))), 600);
    }
    ::tzset();
    expectCleared();

    EXPECT_EQ(property("key", 3), "!!ERROR!!");
    expectRecord("Index out of bounds.", "-4", "getPropertyForFolder");
    EXPECT_EQ(property("owner", -1), "!!ERROR!!");
    expectRecord("Index out of bounds.", "-4", "getPropertyForFolder");

    // No owner is asked for, so none is answered.
    for (const auto& request : requestsFor(bucket)) {
        EXPECT_FALSE(queryValue(request.target, "fetch-owner")) << request.target;
    }
}

TEST_F(BucketListing, LastListingSurvivesEveryFailure) {
    const std::string bucket = newBucket("survive");
    putObject(bucket, "one.txt", "1");
    putObject(bucket, "two.txt", "2");
    ASSERT_TRUE(list(bucket));

    EXPECT_FALSE(list(bucket + "-missing"));
    EXPECT_FALSE(list(""));
    EXPECT_FALSE(funcs.useCredentialsForService(S("s3"), S("x"), S("y"), kNull));
    authenticate();
    EXPECT_TRUE(funcs.deleteObject(S(bucket), S("one.txt")));

    EXPECT_EQ(property("keys"), "one.txt\ntwo.txt\n");
    EXPECT_EQ(property("key", 1), "two.txt");

    // A listing that matches nothing empties it.
    ASSERT_TRUE(funcs.getBucket(S(bucket), S("none/"), kNull, kNull, kNull));
    EXPECT_EQ(property("count"), "0");
    EXPECT_EQ(property("keys"), "");
    EXPECT_EQ(property("key", 0), "!!ERROR!!");
    expectRecord("No folder contents to access", "-4", "getPropertyforFolder");
}

TEST_F(BucketListing, MaximumKeysTextsReachTheServiceAsTheirLeadingNumber) {
    const std::string bucket = newBucket("maxkeys");
    putObject(bucket, "a.txt", "a");
    const std::vector<std::pair<platform::String, std::string>> cases = {
        {kNull, "1000"},        {S(""), "1000"}, {S("25 items"), "25"},
        {S("  25"), "25"},      {S("abc"), "0"}, {S("-5"), "-5"},
        {S("4294967297"), "1"}, {S("+7"), "7"},  {S("4294967295"), "-1"},
    };
    std::vector<std::string> expected;
    for (const auto& [text, sent] : cases) {
        const bool listed = funcs.getBucket(S(bucket), kNull, kNull, text, kNull);
        if (!listed) {
            // The service decides on 0 and negative numbers; its refusal is a service failure.
            EXPECT_EQ(funcs.getLastErrorCode().utf8(), "-400") << sent;
            EXPECT_NE(funcs.getLastError().utf8().find("SOURCE: GetFolder"), std::string::npos);
        }
        expected.push_back(sent);
    }
    EXPECT_EQ(maxKeysSent(bucket), expected);
}

TEST_F(BucketListing, EmptyPrefixAndDelimiterAreLeftOutButAnEmptyTokenIsSent) {
    const std::string bucket = newBucket("token");
    putObject(bucket, "a.txt", "a");
    ASSERT_TRUE(funcs.getBucket(S(bucket), S(""), S(""), kNull, kNull));
    funcs.getBucket(S(bucket), kNull, kNull, kNull, S(""));

    std::vector<skrw::test::RecordedRequest> listings;
    for (auto& request : requestsFor(bucket)) {
        if (queryValue(request.target, "list-type")) listings.push_back(request);
    }
    ASSERT_EQ(listings.size(), 2u);
    EXPECT_FALSE(queryValue(listings[0].target, "prefix")) << listings[0].target;
    EXPECT_FALSE(queryValue(listings[0].target, "delimiter")) << listings[0].target;
    EXPECT_FALSE(queryValue(listings[0].target, "continuation-token")) << listings[0].target;
    EXPECT_EQ(queryValue(listings[1].target, "continuation-token"), std::string())
        << listings[1].target;
}

TEST_F(BucketListing, PagesThroughABucketWithTheNextContinuationToken) {
    const std::string bucket = newBucket("paging");
    for (const char* key : {"k1", "k2", "k3", "k4", "k5"}) putObject(bucket, key, key);

    std::string all;
    platform::String token;  // absent on the first page
    int pages = 0;
    for (; pages < 10; ++pages) {
        ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, kNull, S("2"), token))
            << funcs.getLastError().utf8();
        all += property("keys");
        if (property("istruncated") == "false") break;
        EXPECT_EQ(property("count"), "2");
        token = S(property("nextcontinuationtoken"));
        ASSERT_FALSE(token.isEmpty());
        // A failure in between keeps the token of the last truncated listing.
        EXPECT_FALSE(list(bucket + "-missing"));
        EXPECT_EQ(property("nextcontinuationtoken"), token.utf8());
    }
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(all, "k1\nk2\nk3\nk4\nk5\n");
    // The last page leads nowhere, so no token is answered.
    EXPECT_EQ(property("nextcontinuationtoken"), "");
}

TEST_F(BucketListing, GroupedKeysAreNotListed) {
    const std::string bucket = newBucket("delim");
    for (const char* key : {"a/1.txt", "a/2.txt", "b.txt"}) putObject(bucket, key, key);
    ASSERT_TRUE(funcs.getBucket(S(bucket), kNull, S("/"), kNull, kNull));
    EXPECT_EQ(property("keys"), "b.txt\n");
    ASSERT_TRUE(funcs.getBucket(S(bucket), S("a/"), kNull, kNull, kNull));
    EXPECT_EQ(property("keys"), "a/1.txt\na/2.txt\n");
}

}  // namespace
}  // namespace storage_test
