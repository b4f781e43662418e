// The credential and bucket functions against the local S3 server: what reaches the storage
// operations and what comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ServerFixture.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CredentialFunctions : public skrw::test::WithServer {};

TEST_F(CredentialFunctions, AcceptedCredentialsAnswerZeroAndClearTheRecord) {
    recordMarkerError();
    const Answer answer = useServerCredentials();
    EXPECT_EQ(answer.hostError, 0);
    EXPECT_EQ(answer.text, "0");
    EXPECT_TRUE(answer.isEightBit());
    EXPECT_EQ(answer.localeType, 1);
    EXPECT_EQ(lastErrorCode(), "0");
}

TEST_F(CredentialFunctions, AnAbsentAnEmptyOrARegionParameterAreAllAccepted) {
    using skrw::test::kAccessKey;
    using skrw::test::kSecretKey;
    EXPECT_EQ(
        call(SKRW_UseCredentials, kSKRW_UseCredentialsId, {"S3", kAccessKey, kSecretKey, ""}).text,
        "0");
    EXPECT_EQ(call(SKRW_UseCredentials, kSKRW_UseCredentialsId,
                   {"aws", kAccessKey, kSecretKey, "region=eu-west-1"})
                  .text,
              "0");
}

TEST_F(CredentialFunctions, AnUnknownServiceOrAWrongSecretAnswersErrorWithTheReason) {
    EXPECT_EQ(call(SKRW_UseCredentials, kSKRW_UseCredentialsId, {"s4", "a", "b"}).text,
              "!!ERROR!!");
    EXPECT_EQ(lastErrorCode(), "-1000");
    EXPECT_EQ(call(SKRW_UseCredentials, kSKRW_UseCredentialsId,
                   {"s3", skrw::test::kAccessKey, "not the secret"})
                  .text,
              "!!ERROR!!");
    EXPECT_EQ(lastErrorCode(), "-400");
}

TEST_F(CredentialFunctions, ListingBeforeCredentialsAnswersError) {
    EXPECT_EQ(call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {}).text, "!!ERROR!!");
    EXPECT_EQ(lastErrorCode(), "-1000");
}

class BucketFunctions : public skrw::test::WithServer {
  protected:
    void SetUp() override {
        WithServer::SetUp();
        ASSERT_EQ(useServerCredentials().text, "0");
    }
    Answer getBucket(std::initializer_list<std::string_view> values) {
        return call(SKRW_GetBucket, kSKRW_GetBucketId, values);
    }
    // Targets of the bucket's listing requests.
    std::vector<std::string> listingsOf(const std::string& bucket) {
        std::vector<std::string> listings;
        for (const std::string& target : targetsFor(bucket)) {
            if (contains(target, "list-type=2")) listings.push_back(target);
        }
        return listings;
    }
};

TEST_F(BucketFunctions, ListAllBucketsAnswersEachNameOnItsOwnLine) {
    const std::string bucket = newBucket("fn-list-all");
    const Answer answer = call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {});
    EXPECT_TRUE(answer.isEightBit());
    EXPECT_TRUE(contains("\n" + answer.text, "\n" + bucket + "\n")) << answer.text;
    EXPECT_EQ(answer.text.back(), '\n');
}

TEST_F(BucketFunctions, AnEmptyContinuationTokenIsSentWhileAnAbsentOneIsLeftOut) {
    const std::string bucket = newBucket("fn-token");
    ASSERT_EQ(getBucket({bucket, "", "", ""}).text, "0");
    getBucket({bucket, "", "", "", ""});
    const std::vector<std::string> listings = listingsOf(bucket);
    ASSERT_EQ(listings.size(), 2u);
    EXPECT_FALSE(contains(listings[0], "continuation-token")) << listings[0];
    EXPECT_TRUE(contains(listings[1], "continuation-token=&") ||
                listings[1].ends_with("continuation-token="))
        << listings[1];
}

TEST_F(BucketFunctions, TheFolderAloneAndEmptyOptionalArgumentsMakeTheSameRequest) {
    const std::string bucket = newBucket("fn-same");
    ASSERT_EQ(getBucket({bucket}).text, "0");
    ASSERT_EQ(getBucket({bucket, "", "", ""}).text, "0");
    const std::vector<std::string> listings = listingsOf(bucket);
    ASSERT_EQ(listings.size(), 2u);
    EXPECT_EQ(listings[0], listings[1]);
    EXPECT_TRUE(contains(listings[0], "max-keys=1000")) << listings[0];
}

TEST_F(BucketFunctions, PagesFollowTheContinuationTokenGivenAsFifthArgument) {
    const std::string bucket = newBucket("fn-pages");
    for (const char* key : {"a", "b", "c"}) ASSERT_EQ(upload(bucket, key, key).text, "0");
    ASSERT_EQ(getBucket({bucket, "", "", "2"}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "a\nb\n");
    EXPECT_EQ(property("istruncated", 0).text, "true");
    const std::string token = property("nextcontinuationtoken", 0).text;
    ASSERT_FALSE(token.empty());
    ASSERT_EQ(getBucket({bucket, "", "", "2", token}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "c\n");
    EXPECT_EQ(property("istruncated", 0).text, "false");
}

TEST_F(BucketFunctions, PrefixAndDelimiterReachTheListingUnchanged) {
    const std::string bucket = newBucket("fn-prefix");
    for (const char* key : {"docs/a", "docs/sub/b", "other"}) {
        ASSERT_EQ(upload(bucket, key, "x").text, "0");
    }
    ASSERT_EQ(getBucket({bucket, "docs/", "/"}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "docs/a\n");
    ASSERT_EQ(getBucket({bucket, " docs/"}).text, "0");  // a blank is not trimmed
    EXPECT_EQ(property("count", 0).text, "0");
}

class PropertyIndex : public BucketFunctions {
  protected:
    void SetUp() override {
        BucketFunctions::SetUp();
        bucket_ = newBucket("fn-index");
        for (const char* key : {"k0", "k1", "k2"}) ASSERT_EQ(upload(bucket_, key, key).text, "0");
        ASSERT_EQ(getBucket({bucket_}).text, "0");
    }
    std::string bucket_;
};

TEST_F(PropertyIndex, WholeNumbersWithinThirtyTwoBitsSelectTheObject) {
    EXPECT_EQ(property("key", 0).text, "k0");
    EXPECT_EQ(property("KEY", 2).text, "k2");
    EXPECT_EQ(property("size", 1).text, "2");
}

TEST_F(PropertyIndex, MinusOneAndThePastTheEndIndexAreOutOfBounds) {
    for (long double index : {-1.0L, 3.0L, 2147483647.0L, -2147483648.0L}) {
        SCOPED_TRACE(static_cast<double>(index));
        EXPECT_EQ(property("key", index).text, "!!ERROR!!");
        EXPECT_EQ(lastError(),
                  "MESSAGE: Index out of bounds.\nCODE: -4\nSOURCE: getPropertyForFolder");
    }
}

TEST_F(PropertyIndex, OnlyTheLowThirtyTwoBitsOfTheIntegerCount) {
    EXPECT_EQ(property("key", 4294967296.0L).text, "k0");         // 2^32
    EXPECT_EQ(property("key", 4294967298.0L).text, "k2");         // 2^32 + 2
    EXPECT_EQ(property("key", -4294967295.0L).text, "k1");        // -(2^32) + 1
    EXPECT_EQ(property("key", 4294967295.0L).text, "!!ERROR!!");  // low bits read as -1
    EXPECT_EQ(property("key", 1e30L).text, "!!ERROR!!");          // saturated: low bits -1
}

TEST_F(PropertyIndex, FractionsAreTruncatedTowardZero) {
    EXPECT_EQ(property("key", 1.9L).text, "k1");
    EXPECT_EQ(property("key", -0.5L).text, "k0");
}

TEST_F(PropertyIndex, ATextIndexIsReadAsTheHostsNumber) {
    EXPECT_EQ(call(SKRW_GetBucketProperty, kSKRW_GetBucketPropertyId, {"key", "2"}).text, "k2");
    EXPECT_EQ(call(SKRW_GetBucketProperty, kSKRW_GetBucketPropertyId, {"key", " 1abc"}).text, "k1");
    EXPECT_EQ(call(SKRW_GetBucketProperty, kSKRW_GetBucketPropertyId, {"key", "abc"}).text, "k0");
}

TEST_F(PropertyIndex, ListingLevelNamesIgnoreTheIndex) {
    EXPECT_EQ(property("count", -7).text, "3");
    EXPECT_EQ(property("Count", 1e30L).text, "3");
    EXPECT_EQ(property("keys", 99).text, "k0\nk1\nk2\n");
    EXPECT_EQ(property("istruncated", 0).text, "false");
}

TEST_F(PropertyIndex, AnEmptyPropertyNameReachesTheOperationAndIsRefusedThere) {
    EXPECT_EQ(property("", 0).text, "!!ERROR!!");
    EXPECT_TRUE(contains(lastError(), "Property name cannot be blank or null.")) << lastError();
    EXPECT_EQ(property("no such property", 0).text, "");
    EXPECT_EQ(lastErrorCode(), "0");
}

TEST_F(BucketFunctions, AnEmptyFolderIdIsRefusedByTheStorageOperation) {
    for (ExtPluginType function : {&SKRW_GetBucket, &SKRW_CreateBucket, &SKRW_DeleteBucket}) {
        recordMarkerError();
        EXPECT_EQ(call(function, 0, {""}).text, "!!ERROR!!");
        EXPECT_NE(lastError(), kMarkerError);
        EXPECT_NE(lastErrorCode(), "0");
    }
}

TEST_F(BucketFunctions, DeleteBucketRemovesItFromTheList) {
    const std::string bucket = newBucket("fn-delete");
    EXPECT_EQ(call(SKRW_DeleteBucket, kSKRW_DeleteBucketId, {bucket}).text, "0");
    EXPECT_FALSE(
        contains(call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {}).text, bucket + "\n"));
    EXPECT_EQ(call(SKRW_DeleteBucket, kSKRW_DeleteBucketId, {bucket}).text, "!!ERROR!!");
    EXPECT_EQ(lastErrorCode(), "-400");
}

TEST_F(BucketFunctions, AnUnpairedSurrogateInAKeyArrivesAsTheReplacementCharacter) {
    const std::string bucket = newBucket("fn-surrogate");
    hostsim::Arguments args;
    args.textUtf8(bucket).text(u"a\xD800z").textUtf8(localFile("lone", "x"));
    ASSERT_EQ(call(SKRW_PostObject, kSKRW_PostObjectId, args).text, "0");
    ASSERT_EQ(getBucket({bucket}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "a\xEF\xBF\xBDz\n");
}

}  // namespace
