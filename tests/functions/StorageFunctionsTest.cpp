// What the storage functions decide against the local S3 server: which argument goes where,
// absent against empty arguments, UTF-16 arguments and 8-bit answers, and the property index.
// What the operations themselves do is tested with the storage object (tests/storage).
#include <filesystem>

#include "ScriptCall.h"
#include "TestEnv.h"

namespace skrw::test {
namespace {

class StorageFunctions : public WithStorage {
  protected:
    void SetUp() override {
        useServerEndpoint();
        WithStorage::SetUp();
        ASSERT_EQ(answer(SKRW_UseCredentials, texts({"s3", kAccessKey, kSecretKey})), "0");
        ASSERT_EQ(answer(SKRW_CreateBucket, texts({bucket_})), "0");
    }
    // The answer's text, by the 8-bit path with a new locale of type 1.
    static std::string answer(ExtPluginType function, const Args& args) {
        const Answer answer = call(function, args);
        EXPECT_TRUE(!answer.utf16 && answer.localeType == 1);
        return answer.text;
    }
    std::string file(const std::string& name) {
        writeFile(files_.path() + "/" + name, name);
        return files_.path() + "/" + name;
    }
    TempDir files_;
    const std::string bucket_ = uniqueName("functions");
};

TEST_F(StorageFunctions, ObjectArgumentsReachTheOperationsInTheirPlacesAsTheirUtf16Units) {
    const std::string key = " a\xEF\xBF\xBD ", download = files_.volumesPath() + "/b";
    // An unpaired surrogate becomes U+FFFD and blanks stay; an absent delete flag keeps the file.
    ASSERT_EQ(
        answer(SKRW_PostObject, Args().textUtf8(bucket_).text(u" a\xD800 ").textUtf8(file("a"))),
        "0");
    EXPECT_EQ(answer(SKRW_CopyObject, texts({bucket_, key, bucket_, "b"})), "0");
    EXPECT_EQ(answer(SKRW_GetObject, texts({bucket_, "b", download})), "0");
    EXPECT_EQ(std::filesystem::file_size(download), 1u);
    EXPECT_EQ(answer(SKRW_DeleteObject, texts({bucket_, key})), "0");
    // The fourth argument is the delete flag: exactly one of the true words, in any case.
    const std::pair<const char*, bool> flags[] = {
        {"y", false}, {"TRUE", false}, {"oN", false},  {"1", false}, {"ye\xC5\xBF", false},
        {"T", true},  {" yes", true},  {"yes ", true}, {"2", true}};
    for (const auto& [flag, kept] : flags) {
        const std::string path = file("flag");
        EXPECT_EQ(answer(SKRW_PostObject, texts({bucket_, "flag", path, flag})), "0");
        EXPECT_EQ(std::filesystem::exists(path), kept) << '"' << flag << '"';
    }
    EXPECT_TRUE(std::filesystem::exists(files_.path() + "/a"));
    ASSERT_EQ(answer(SKRW_GetBucket, texts({bucket_})), "0");
    EXPECT_EQ(answer(SKRW_GetBucketProperty, texts({"keys", "0"})), "b\nflag\n");
    EXPECT_NE(("\n" + answer(SKRW_ListAllBuckets, {})).find("\n" + bucket_ + "\n"),
              std::string::npos);
}

TEST_F(StorageFunctions, ListingArgumentsAreReadInPlaceAnEmptyTokenIsSentAndTheIndexIsLow32Bits) {
    for (const char* key : {"d/a", "d/b", "d/c/d", "e"})
        ASSERT_EQ(answer(SKRW_PostObject, texts({bucket_, key, file("a")})), "0");
    ASSERT_EQ(answer(SKRW_GetBucket, texts({bucket_, "d/", "/", "1"})), "0");
    EXPECT_EQ(answer(SKRW_GetBucketProperty, texts({"keys", "0"})), "d/a\n");
    const std::string token = answer(SKRW_GetBucketProperty, texts({"nextcontinuationtoken", "0"}));
    ASSERT_EQ(answer(SKRW_GetBucket, texts({bucket_, "d/", "/", "1", token})), "0");
    EXPECT_EQ(answer(SKRW_GetBucketProperty, texts({"keys", "0"})), "d/b\n");
    answer(SKRW_GetBucket, texts({bucket_}));
    // The index is the low 32 bits of the number, read as a signed value.
    for (const auto& [index, key] : {std::pair{4294967298.0L, "d/c/d"},
                                     {-4294967295.0L, "d/b"},
                                     {4294967295.0L, "!!ERROR!!"}}) {
        EXPECT_EQ(answer(SKRW_GetBucketProperty, Args().textUtf8("key").number(index)), key);
    }
    answer(SKRW_GetBucket, texts({bucket_, "", "", "", ""}));
    std::vector<std::string> listings;  // this bucket's listing requests
    for (const RecordedRequest& request : requestsFor(bucket_)) {
        if (request.target.find("list-type=2") != std::string::npos)
            listings.push_back(request.target + "&");
    }
    ASSERT_EQ(listings.size(), 4u);
    EXPECT_EQ(listings[2].find("continuation-token"), std::string::npos) << listings[2];
    EXPECT_NE(listings[3].find("continuation-token=&"), std::string::npos) << listings[3];
}

}  // namespace
}  // namespace skrw::test
