// What the storage functions decide against the local S3 server: which argument goes where,
// absent against empty arguments, the UTF-16 arguments and 8-bit answers, and the property index.
// What the operations themselves do is tested with the storage object (tests/storage).
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScriptCall.h"
#include "TestServer.h"

namespace skrw::test {
namespace {

class StorageFunctions : public WithStorage {
  protected:
    void SetUp() override {
        useServerEndpoint();
        WithStorage::SetUp();
        ASSERT_TRUE(done(call(SKRW_UseCredentials, texts({"s3", kAccessKey, kSecretKey}))));
        ASSERT_TRUE(done(call(SKRW_CreateBucket, texts({bucket_}))));
    }
    // "0" by the 8-bit path with a new locale of type 1.
    static bool done(const Answer& answer) {
        return answer.text == "0" && !answer.utf16 && answer.localeType == 1;
    }
    std::string file(const std::string& name, const std::string& content = "content") {
        std::ofstream(files_.path() + "/" + name) << content;
        return files_.path() + "/" + name;
    }
    bool upload(const std::string& key) {
        return done(call(SKRW_PostObject, texts({bucket_, key, file("upload")})));
    }
    std::string property(const hostsim::Arguments& args) {
        return call(SKRW_GetBucketProperty, args).text;
    }
    std::string keys() { return property(texts({"keys", "0"})); }

    TempDir files_;
    const std::string bucket_ = uniqueName("functions");
};

TEST_F(StorageFunctions, ObjectArgumentsReachTheOperationsInTheirPlacesAsTheirUtf16Units) {
    hostsim::Arguments post;  // an unpaired surrogate becomes U+FFFD; blanks stay
    post.textUtf8(bucket_).text(u" a\xD800 ").textUtf8(file("a", "of a"));
    ASSERT_TRUE(done(call(SKRW_PostObject, post)));
    const std::string a = " a\xEF\xBF\xBD ";
    EXPECT_TRUE(done(call(SKRW_CopyObject, texts({bucket_, a, bucket_, "b"}))));
    const std::string download = files_.volumesPath() + "/b";
    EXPECT_TRUE(done(call(SKRW_GetObject, texts({bucket_, "b", download}))));
    EXPECT_EQ((std::stringstream() << std::ifstream(download).rdbuf()).str(), "of a");
    EXPECT_TRUE(done(call(SKRW_DeleteObject, texts({bucket_, a}))));
    ASSERT_TRUE(done(call(SKRW_GetBucket, texts({bucket_}))));
    EXPECT_EQ(keys(), "b\n");
    const Answer all = call(SKRW_ListAllBuckets, {});
    EXPECT_NE(("\n" + all.text).find("\n" + bucket_ + "\n"), std::string::npos) << all.text;
    EXPECT_EQ(all.localeType, 1);
}

TEST_F(StorageFunctions, ListingArgumentsAreReadInPlaceAndAnEmptyTokenIsSentButAnAbsentOneNot) {
    for (const char* key : {"docs/a", "docs/b", "docs/c/d", "other"}) ASSERT_TRUE(upload(key));
    ASSERT_TRUE(done(call(SKRW_GetBucket, texts({bucket_, "docs/", "/", "1"}))));
    EXPECT_EQ(keys(), "docs/a\n");
    const std::string token = property(texts({"nextcontinuationtoken", "0"}));
    ASSERT_TRUE(done(call(SKRW_GetBucket, texts({bucket_, "docs/", "/", "1", token}))));
    EXPECT_EQ(keys(), "docs/b\n");
    call(SKRW_GetBucket, texts({bucket_}));
    call(SKRW_GetBucket, texts({bucket_, "", "", "", ""}));
    std::vector<std::string> listings;  // this bucket's last two listing requests
    for (const RecordedRequest& request : recordedRequests()) {
        const std::string& target = request.target;
        if (target.starts_with("/" + bucket_ + "?") && target.find("list-type=2") != target.npos) {
            listings.push_back(target);
        }
    }
    ASSERT_GE(listings.size(), 2u);
    EXPECT_EQ(listings.end()[-2].find("continuation-token"), std::string::npos);
    EXPECT_NE((listings.back() + "&").find("continuation-token=&"), std::string::npos);
}

TEST_F(StorageFunctions, ThePropertyIndexIsTheLowThirtyTwoBitsOfTheNumberReadAsSigned) {
    for (const char* key : {"k0", "k1", "k2"}) ASSERT_TRUE(upload(key));
    ASSERT_TRUE(done(call(SKRW_GetBucket, texts({bucket_}))));
    const std::pair<long double, const char*> rows[] = {
        {2, "k2"},
        {4294967298.0L, "k2"},   // 2^32 + 2
        {-4294967295.0L, "k1"},  // -(2^32) + 1
        {4294967295.0L, "!!ERROR!!"},  // low bits read as -1
    };
    for (const auto& [index, key] : rows) {
        hostsim::Arguments args;
        args.textUtf8("key").number(index);
        EXPECT_EQ(property(args), key) << static_cast<double>(index);
    }
}

TEST_F(StorageFunctions, TheFourthPostArgumentIsTheDeleteFlagByTheYesNoRule) {
    const std::pair<const char*, bool> rows[] = {{nullptr, true}, {"oN", false}, {"2", true}};
    for (const auto& [flag, kept] : rows) {
        const std::string key = flag ? flag : "absent", path = file(key);
        hostsim::Arguments args = texts({bucket_, key, path});
        if (flag != nullptr) args.textUtf8(flag);
        EXPECT_TRUE(done(call(SKRW_PostObject, args)));
        EXPECT_EQ(std::filesystem::exists(path), kept) << key;
    }
}

}  // namespace
}  // namespace skrw::test
