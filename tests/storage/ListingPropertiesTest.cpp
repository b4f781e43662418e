// The texts a listed object answers by property name.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "storage/ListingProperties.h"

namespace {

using Aws::S3::Model::Object;
using Aws::S3::Model::ObjectStorageClass;
using platform::String;
using skrw::storage::isFolderText;
using skrw::storage::objectPropertyText;
using skrw::storage::storageClassText;

String S(const char* text) {
    return String::fromUtf8(text);
}

TEST(ListingProperties, StorageClassesOutsideTheFiveAnswerNotSet) {
    EXPECT_EQ(storageClassText(ObjectStorageClass::STANDARD).utf8(), "STANDARD");
    EXPECT_EQ(storageClassText(ObjectStorageClass::REDUCED_REDUNDANCY).utf8(),
              "REDUCED_REDUNDANCY");
    EXPECT_EQ(storageClassText(ObjectStorageClass::GLACIER).utf8(), "GLACIER");
    EXPECT_EQ(storageClassText(ObjectStorageClass::STANDARD_IA).utf8(), "STANDARD_IA");
    EXPECT_EQ(storageClassText(ObjectStorageClass::ONEZONE_IA).utf8(), "ONEZONE_IA");
    EXPECT_EQ(storageClassText(ObjectStorageClass::NOT_SET).utf8(), "NOT SET");
    EXPECT_EQ(storageClassText(ObjectStorageClass::DEEP_ARCHIVE).utf8(), "NOT SET");
    EXPECT_EQ(storageClassText(ObjectStorageClass::INTELLIGENT_TIERING).utf8(), "NOT SET");
}

TEST(ListingProperties, KeyWithoutFullStopIsAFolder) {
    for (const char* key : {"photos/", "README", ""})
        EXPECT_EQ(isFolderText(S(key)).utf8(), "true");
    for (const char* key : {"photos/cat.jpg", "release-1.2/", ".hidden"}) {
        EXPECT_EQ(isFolderText(S(key)).utf8(), "false") << key;
    }
}

TEST(ListingProperties, NamesOfTheKeyAndUnknownNames) {
    Object object;
    object.SetKey("dir/\xC3\xA9t\xC3\xA9.txt");
    object.SetETag("\"abc\"");
    object.SetSize(5000000000LL);
    object.SetStorageClass(ObjectStorageClass::GLACIER);
    for (const char* name : {"key", "displayname", "name"}) {
        EXPECT_EQ(objectPropertyText(object, S(name)).utf8(), object.GetKey()) << name;
    }
    EXPECT_EQ(objectPropertyText(object, S("etag")).utf8(), "\"abc\"");
    EXPECT_EQ(objectPropertyText(object, S("size")).utf8(), "5000000000");
    EXPECT_EQ(objectPropertyText(object, S("storageclass")).utf8(), "GLACIER");
    EXPECT_EQ(objectPropertyText(object, S("isfolder")).utf8(), "false");
    // The listing carries no owner unless asked for one.
    EXPECT_EQ(objectPropertyText(object, S("ownername")).utf8(), "");
    EXPECT_EQ(objectPropertyText(object, S("ownerid")).utf8(), "");
    EXPECT_EQ(objectPropertyText(object, S("owner")).utf8(), "");
    EXPECT_FALSE(objectPropertyText(object, S("owner")).isNull());
}

TEST(ListingProperties, LastModifiedIsLocalTimeWithALiteralZ) {
    const char* saved = ::getenv("TZ");
    const std::string savedTz = saved != nullptr ? saved : "";
    Object object;
    object.SetLastModified(Aws::Utils::DateTime(int64_t{1700000000000}));  // 2023-11-14T22:13:20Z

    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    EXPECT_EQ(objectPropertyText(object, S("lastmodified")).utf8(), "2023-11-14T22:13:20Z");
    ::setenv("TZ", "IST-5:30", 1);
    ::tzset();
    EXPECT_EQ(objectPropertyText(object, S("lastmodified")).utf8(), "2023-11-15T03:43:20Z");

    if (saved != nullptr) {
        ::setenv("TZ", savedTz.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

}  // namespace
