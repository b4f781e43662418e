// The texts a listed object answers by property name.
#include <time.h>

#include "StorageTestFixture.h"
#include "storage/ListingProperties.h"

namespace storage_test {
namespace {

using Aws::S3::Model::Object;
using Aws::S3::Model::ObjectStorageClass;
using skrw::storage::objectPropertyText;

TEST(ListingProperties, StorageClassesOutsideTheFiveAnswerNotSet) {
    const std::pair<ObjectStorageClass, const char*> rows[] = {
        {ObjectStorageClass::STANDARD, "STANDARD"},
        {ObjectStorageClass::REDUCED_REDUNDANCY, "REDUCED_REDUNDANCY"},
        {ObjectStorageClass::GLACIER, "GLACIER"},
        {ObjectStorageClass::STANDARD_IA, "STANDARD_IA"},
        {ObjectStorageClass::ONEZONE_IA, "ONEZONE_IA"},
        {ObjectStorageClass::NOT_SET, "NOT SET"},
        {ObjectStorageClass::DEEP_ARCHIVE, "NOT SET"},
        {ObjectStorageClass::INTELLIGENT_TIERING, "NOT SET"},
    };
    for (const auto& [storageClass, text] : rows) {
        EXPECT_EQ(skrw::storage::storageClassText(storageClass).utf8(), text);
    }
}

TEST(ListingProperties, KeyWithoutFullStopIsAFolder) {
    for (const auto& [key, text] : {std::pair{"photos/", "true"},
                                    {"README", "true"},
                                    {"", "true"},
                                    {"photos/cat.jpg", "false"},
                                    {"release-1.2/", "false"},
                                    {".hidden", "false"}}) {
        EXPECT_EQ(skrw::storage::isFolderText(S(key)).utf8(), text) << key;
    }
}

TEST(ListingProperties, NamesOfTheKeyAndTheOwnerNamesWithoutAnOwner) {
    Object object;
    object.SetKey("dir/\xC3\xA9t\xC3\xA9.txt");
    object.SetETag("\"abc\"");
    object.SetSize(5000000000LL);
    object.SetStorageClass(ObjectStorageClass::GLACIER);
    const std::pair<const char*, std::string> rows[] = {
        {"key", object.GetKey()},  {"displayname", object.GetKey()},
        {"name", object.GetKey()}, {"etag", "\"abc\""},
        {"size", "5000000000"},    {"storageclass", "GLACIER"},
        {"isfolder", "false"},     {"ownername", ""},
        {"ownerid", ""},           {"owner", ""},
    };
    for (const auto& [name, text] : rows) {
        EXPECT_EQ(objectPropertyText(object, S(name)).utf8(), text) << name;
    }
    EXPECT_FALSE(objectPropertyText(object, S("owner")).isNull());
}

TEST(ListingProperties, LastModifiedIsLocalTimeWithALiteralZ) {
    Object object;
    object.SetLastModified(Aws::Utils::DateTime(int64_t{1700000000000}));  // 2023-11-14T22:13:20Z
    ScopedEnv zone("TZ", "UTC0");
    ::tzset();
    EXPECT_EQ(objectPropertyText(object, S("lastmodified")).utf8(), "2023-11-14T22:13:20Z");
    ::setenv("TZ", "IST-5:30", 1);
    ::tzset();
    EXPECT_EQ(objectPropertyText(object, S("lastmodified")).utf8(), "2023-11-15T03:43:20Z");
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
}

}  // namespace
}  // namespace storage_test
