// The object functions against the local S3 server: the upload's delete-after flag, the texts
// that reach the operations, and the journey a user makes from credentials to deletion.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ServerFixture.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;

class ObjectFunctions : public skrw::test::WithServer {
  protected:
    void SetUp() override {
        WithServer::SetUp();
        ASSERT_EQ(useServerCredentials().text, "0");
        bucket_ = newBucket("fn-objects");
    }
    Answer postWithFlag(const std::string& key, const std::string& path, std::string_view flag) {
        return call(SKRW_PostObject, kSKRW_PostObjectId, {bucket_, key, path, flag});
    }
    std::string bucket_;
};

TEST_F(ObjectFunctions, UploadWithThreeArgumentsKeepsTheFile) {
    const std::string path = localFile("keep.txt", "kept");
    const Answer answer = call(SKRW_PostObject, kSKRW_PostObjectId, {bucket_, "keep.txt", path});
    EXPECT_EQ(answer.text, "0");
    EXPECT_TRUE(answer.isEightBit());
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(ObjectFunctions, AYesFlagRemovesTheUploadedFile) {
    int n = 0;
    for (const char* flag : {"yes", "Y", "on", "1", "TRUE", "oN"}) {
        const std::string path = localFile("yes-" + std::to_string(++n), flag);
        EXPECT_EQ(postWithFlag("yes-" + std::to_string(n), path, flag).text, "0") << flag;
        EXPECT_FALSE(std::filesystem::exists(path)) << flag;
    }
}

TEST_F(ObjectFunctions, AnyOtherFlagKeepsTheUploadedFile) {
    int n = 0;
    for (const char* flag : {"no", "0", "false", "2", "", " yes", "yes ", "T"}) {
        const std::string path = localFile("no-" + std::to_string(++n), flag);
        EXPECT_EQ(postWithFlag("no-" + std::to_string(n), path, flag).text, "0") << flag;
        EXPECT_TRUE(std::filesystem::exists(path)) << '"' << flag << '"';
    }
}

TEST_F(ObjectFunctions, AFailedRemovalAfterUploadAnswersErrorThoughTheObjectIsStored) {
    const std::string path = localFile("vanishing.txt", "gone");
    skrw::test::deleteOnPut(bucket_, "vanishing.txt", path);
    EXPECT_EQ(postWithFlag("vanishing.txt", path, "yes").text, "!!ERROR!!");
    ASSERT_EQ(call(SKRW_GetBucket, kSKRW_GetBucketId, {bucket_}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "vanishing.txt\n");
}

TEST_F(ObjectFunctions, EmptyTextsReachTheOperationsAndAreRefusedThere) {
    const std::string path = localFile("e.txt", "e");
    const std::vector<std::pair<ExtPluginType, hostsim::Arguments>> calls = {
        {&SKRW_GetObject, skrw::test::texts({bucket_, "", files_.volumesPath() + "/e"})},
        {&SKRW_PostObject, skrw::test::texts({"", "e", path})},
        {&SKRW_PostObject, skrw::test::texts({bucket_, "e", ""})},
        {&SKRW_CopyObject, skrw::test::texts({bucket_, "e", "", "f"})},
        {&SKRW_DeleteObject, skrw::test::texts({bucket_, ""})},
    };
    for (const auto& [function, args] : calls) {
        recordMarkerError();
        EXPECT_EQ(call(function, 0, args).text, "!!ERROR!!");
        EXPECT_NE(lastError(), kMarkerError);
        EXPECT_NE(lastErrorCode(), "0");
    }
}

TEST_F(ObjectFunctions, BlanksAroundAKeyAreKept) {
    ASSERT_EQ(upload(bucket_, " spaced key ", "x").text, "0");
    ASSERT_EQ(call(SKRW_GetBucket, kSKRW_GetBucketId, {bucket_}).text, "0");
    EXPECT_EQ(property("keys", 0).text, " spaced key \n");
}

class Journey : public skrw::test::WithServer {};

TEST_F(Journey, CredentialsCreateUploadListPropertiesDownloadCopyDelete) {
    const std::string lastErrorCleared = "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization";
    auto getLastError = [](std::initializer_list<std::string_view> selector) {
        return call(SKRW_GetLastError, kSKRW_GetLastErrorId, selector);
    };

    EXPECT_EQ(useServerCredentials().text, "0");
    const std::string bucket = skrw::test::uniqueName("fn-journey");
    EXPECT_EQ(call(SKRW_CreateBucket, kSKRW_CreateBucketId, {bucket}).text, "0");

    const std::string content = "quarterly figures\n";
    const std::string upload = localFile("report.txt", content);
    EXPECT_EQ(call(SKRW_PostObject, kSKRW_PostObjectId, {bucket, "reports/q1.txt", upload}).text,
              "0");

    const Answer buckets = call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {});
    EXPECT_NE(("\n" + buckets.text).find("\n" + bucket + "\n"), std::string::npos);

    EXPECT_EQ(call(SKRW_GetBucket, kSKRW_GetBucketId, {bucket}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "reports/q1.txt\n");
    EXPECT_EQ(property("count", 0).text, "1");
    EXPECT_EQ(property("istruncated", 0).text, "false");
    EXPECT_EQ(property("key", 0).text, "reports/q1.txt");
    EXPECT_EQ(property("size", 0).text, std::to_string(content.size()));
    EXPECT_EQ(property("isfolder", 0).text, "false");
    EXPECT_EQ(property("storageclass", 0).text, "STANDARD");
    EXPECT_EQ(property("etag", 0).text.size(), 34u);  // quoted MD5
    EXPECT_FALSE(property("lastmodified", 0).text.empty());

    const std::string download = files_.volumesPath() + "/downloads/q1.txt";
    EXPECT_EQ(call(SKRW_GetObject, kSKRW_GetObjectId, {bucket, "reports/q1.txt", download}).text,
              "0");
    EXPECT_EQ(contentOf(download), content);

    EXPECT_EQ(call(SKRW_CopyObject, kSKRW_CopyObjectId,
                   {bucket, "reports/q1.txt", bucket, "archive/q1.txt"})
                  .text,
              "0");
    EXPECT_EQ(call(SKRW_GetBucket, kSKRW_GetBucketId, {bucket}).text, "0");
    EXPECT_EQ(property("keys", 0).text, "archive/q1.txt\nreports/q1.txt\n");
    EXPECT_EQ(getLastError({}).text, lastErrorCleared);

    // A failing step leaves its reason for SKRW_GetLastError.
    EXPECT_EQ(call(SKRW_GetObject, kSKRW_GetObjectId,
                   {bucket, "missing.txt", files_.volumesPath() + "/downloads/missing.txt"})
                  .text,
              "!!ERROR!!");
    EXPECT_EQ(getLastError({"Number"}).text, "-400");
    EXPECT_NE(getLastError({"Text"}).text.find("SOURCE: GetObject"), std::string::npos);

    EXPECT_EQ(call(SKRW_DeleteObject, kSKRW_DeleteObjectId, {bucket, "reports/q1.txt"}).text, "0");
    EXPECT_EQ(call(SKRW_DeleteObject, kSKRW_DeleteObjectId, {bucket, "archive/q1.txt"}).text, "0");
    EXPECT_EQ(call(SKRW_GetBucket, kSKRW_GetBucketId, {bucket}).text, "0");
    EXPECT_EQ(property("count", 0).text, "0");
    EXPECT_EQ(call(SKRW_DeleteBucket, kSKRW_DeleteBucketId, {bucket}).text, "0");
    EXPECT_EQ(getLastError({}).text, lastErrorCleared);
    EXPECT_EQ(getLastError({}).isUtf16(), true);
}

}  // namespace
