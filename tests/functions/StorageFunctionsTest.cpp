// The storage functions against the local S3 server: how their arguments reach the storage
// operations (absent against empty, positions, numbers, encodings) and how they answer. What the
// operations themselves do is tested with the storage object; the whole journey through the host
// is tested with the plug-in loaded by the stand-in host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ScriptCall.h"
#include "StorageFixture.h"
#include "TestServer.h"
#include "functions/FunctionTable.h"

namespace {

using skrw::test::Answer;
using skrw::test::call;
using skrw::test::texts;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class StorageFunctions : public skrw::test::WithStorage {
  protected:
    void SetUp() override {
        skrw::test::useServerEndpoint();
        WithStorage::SetUp();
    }

    Answer useServerCredentials() {
        return call(SKRW_UseCredentials, kSKRW_UseCredentialsId,
                    {"s3", skrw::test::kAccessKey, skrw::test::kSecretKey});
    }
    // Signs in and creates a bucket holding the keys.
    std::string bucketWith(std::string_view prefix, std::initializer_list<const char*> keys) {
        EXPECT_EQ(useServerCredentials().text, "0");
        const std::string bucket = skrw::test::uniqueName(prefix);
        EXPECT_EQ(call(SKRW_CreateBucket, kSKRW_CreateBucketId, {bucket}).text, "0");
        for (const char* key : keys) EXPECT_EQ(upload(bucket, key).text, "0") << key;
        return bucket;
    }
    std::string localFile(const std::string& name) {
        const std::string path = files_.path() + "/" + name;
        std::ofstream(path) << name;
        return path;
    }
    Answer upload(const std::string& bucket, const std::string& key) {
        return call(SKRW_PostObject, kSKRW_PostObjectId,
                    {bucket, key, localFile("upload-" + std::to_string(++uploads_))});
    }
    Answer getBucket(std::initializer_list<std::string_view> values) {
        return call(SKRW_GetBucket, kSKRW_GetBucketId, values);
    }
    std::string property(std::string_view name, long double index = 0) {
        hostsim::Arguments args;
        args.textUtf8(name).number(index);
        return call(SKRW_GetBucketProperty, kSKRW_GetBucketPropertyId, args).text;
    }
    // The targets of the bucket's listing requests, in order.
    static std::vector<std::string> listingsOf(const std::string& bucket) {
        std::vector<std::string> listings;
        for (const auto& request : skrw::test::requestsFor(bucket)) {
            if (request.target.starts_with("/" + bucket + "?") &&
                contains(request.target, "list-type=2")) {
                listings.push_back(request.target);
            }
        }
        return listings;
    }

    skrw::test::TempDir files_;

  private:
    int uploads_ = 0;
};

TEST_F(StorageFunctions, CredentialsAnswerZeroOrErrorByTheEightBitPath) {
    EXPECT_EQ(call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {}).text, "!!ERROR!!");
    EXPECT_EQ(lastErrorCode(), "-1000");
    const std::string key = skrw::test::kAccessKey, secret = skrw::test::kSecretKey;
    const struct {
        hostsim::Arguments args;
        const char* answer;
        const char* code;
    } rows[] = {
        {texts({"s4", key, secret}), "!!ERROR!!", "-1000"},
        {texts({"s3", key, "not the secret"}), "!!ERROR!!", "-400"},
        {texts({"s3", key, secret}), "0", "0"},
        {texts({"S3", key, secret, ""}), "0", "0"},
        {texts({"aws", key, secret, "region=eu-west-1"}), "0", "0"},
    };
    for (const auto& row : rows) {
        recordMarkerError();
        const Answer answer = call(SKRW_UseCredentials, kSKRW_UseCredentialsId, row.args);
        EXPECT_EQ(answer.hostError, 0);
        EXPECT_EQ(answer.text, row.answer);
        EXPECT_TRUE(answer.isEightBit());
        EXPECT_EQ(answer.localeType, 1);
        EXPECT_EQ(lastErrorCode(), row.code);
    }
    const std::string bucket = bucketWith("fn-list", {});
    const Answer all = call(SKRW_ListAllBuckets, kSKRW_ListAllBucketsId, {});
    EXPECT_TRUE(all.isEightBit());
    EXPECT_TRUE(contains("\n" + all.text, "\n" + bucket + "\n")) << all.text;
}

TEST_F(StorageFunctions, AnEmptyContinuationTokenIsSentWhileAnAbsentOneIsLeftOut) {
    const std::string bucket = bucketWith("fn-token", {});
    ASSERT_EQ(getBucket({bucket}).text, "0");
    ASSERT_EQ(getBucket({bucket, "", "", ""}).text, "0");
    getBucket({bucket, "", "", "", ""});
    const std::vector<std::string> listings = listingsOf(bucket);
    ASSERT_EQ(listings.size(), 3u);
    EXPECT_EQ(listings[0], listings[1]);
    EXPECT_TRUE(contains(listings[0], "max-keys=1000")) << listings[0];
    EXPECT_FALSE(contains(listings[1], "continuation-token")) << listings[1];
    EXPECT_TRUE(contains(listings[2] + "&", "continuation-token=&")) << listings[2];
}

TEST_F(StorageFunctions, PrefixDelimiterMaxKeysAndTokenAreReadInTheirPlaces) {
    const std::string bucket = bucketWith("fn-pages", {"docs/a", "docs/b", "docs/c/d", "other"});
    ASSERT_EQ(getBucket({bucket, "docs/", "/", "1"}).text, "0");
    EXPECT_EQ(property("keys"), "docs/a\n");
    const std::string token = property("nextcontinuationtoken");
    ASSERT_FALSE(token.empty());
    ASSERT_EQ(getBucket({bucket, "docs/", "/", "1", token}).text, "0");
    EXPECT_EQ(property("keys"), "docs/b\n");
    ASSERT_EQ(getBucket({bucket, " docs/"}).text, "0");  // a blank is not trimmed
    EXPECT_EQ(property("count"), "0");
}

TEST_F(StorageFunctions, ThePropertyIndexIsTheLowThirtyTwoBitsOfTheTruncatedNumber) {
    const std::string bucket = bucketWith("fn-index", {"k0", "k1", "k2"});
    ASSERT_EQ(getBucket({bucket}).text, "0");
    const std::pair<long double, const char*> rows[] = {
        {0, "k0"},
        {2, "k2"},
        {1.9L, "k1"},
        {-0.5L, "k0"},
        {4294967296.0L, "k0"},   // 2^32
        {4294967298.0L, "k2"},   // 2^32 + 2
        {-4294967295.0L, "k1"},  // -(2^32) + 1
        {-1, "!!ERROR!!"},
        {3, "!!ERROR!!"},  // one past the end
        {2147483647.0L, "!!ERROR!!"},
        {-2147483648.0L, "!!ERROR!!"},
        {4294967295.0L, "!!ERROR!!"},  // low bits read as -1
        {1e30L, "!!ERROR!!"},          // saturated: low bits -1
    };
    for (const auto& [index, key] : rows) {
        EXPECT_EQ(property("key", index), key) << static_cast<double>(index);
    }
    for (const auto& [index, key] : {std::pair{"2", "k2"}, {" 1abc", "k1"}, {"abc", "k0"}}) {
        EXPECT_EQ(call(SKRW_GetBucketProperty, kSKRW_GetBucketPropertyId, {"key", index}).text, key)
            << index;
    }
    EXPECT_EQ(property("Count", 1e30L), "3");
}

TEST_F(StorageFunctions, EmptyTextsReachTheOperationsAndAreRefusedThere) {
    const std::string bucket = bucketWith("fn-empty", {});
    const std::string path = localFile("e.txt");
    const std::pair<ExtPluginType, hostsim::Arguments> rows[] = {
        {&SKRW_GetBucket, texts({""})},
        {&SKRW_CreateBucket, texts({""})},
        {&SKRW_DeleteBucket, texts({""})},
        {&SKRW_GetObject, texts({bucket, "", files_.volumesPath() + "/e"})},
        {&SKRW_PostObject, texts({"", "e", path})},
        {&SKRW_PostObject, texts({bucket, "e", ""})},
        {&SKRW_CopyObject, texts({bucket, "e", "", "f"})},
        {&SKRW_DeleteObject, texts({bucket, ""})},
        {&SKRW_GetBucketProperty, texts({"", "0"})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        recordMarkerError();
        EXPECT_EQ(call(rows[i].first, 0, rows[i].second).text, "!!ERROR!!");
        EXPECT_NE(lastError(), kMarkerError);
        EXPECT_NE(lastErrorCode(), "0");
    }
}

TEST_F(StorageFunctions, KeysKeepTheirBlanksAndAnUnpairedSurrogateBecomesTheReplacement) {
    const std::string bucket = bucketWith("fn-keys", {" spaced key "});
    hostsim::Arguments args;
    args.textUtf8(bucket).text(u"a\xD800z").textUtf8(localFile("lone"));
    ASSERT_EQ(call(SKRW_PostObject, kSKRW_PostObjectId, args).text, "0");
    ASSERT_EQ(getBucket({bucket}).text, "0");
    EXPECT_EQ(property("keys"), " spaced key \na\xEF\xBF\xBDz\n");
}

TEST_F(StorageFunctions, TheDeleteFlagIsReadByTheYesNoRuleAndAbsentKeepsTheFile) {
    const std::string bucket = bucketWith("fn-flag", {});
    const std::pair<const char*, bool> rows[] = {
        {nullptr, true}, {"oN", false}, {"1", false}, {"", true}, {"2", true}, {" yes", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto [flag, kept] = rows[i];
        const std::string key = "flag-" + std::to_string(i), path = localFile(key);
        hostsim::Arguments args = texts({bucket, key, path});
        if (flag != nullptr) args.textUtf8(flag);
        EXPECT_EQ(call(SKRW_PostObject, kSKRW_PostObjectId, args).text, "0");
        EXPECT_EQ(std::filesystem::exists(path), kept) << (flag ? flag : "<absent>");
    }
}

}  // namespace
