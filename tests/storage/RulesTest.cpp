// The pure rules of storage: the record's text, local paths, the region of the parameters and of
// new buckets, and the texts a listed object answers.
#include "StorageTestFixture.h"
#include "storage/ListingProperties.h"
#include "storage/LocalPaths.h"
#include "storage/RegionParameter.h"

namespace storage_test {
namespace {

using namespace skrw::storage;
using Aws::S3::Model::BucketLocationConstraint;
using Class = Aws::S3::Model::ObjectStorageClass;

TEST(SkrError, ThreeLinesAndThePlatformForms) {
    SkrError record;
    EXPECT_EQ(record.getError().utf8(), "MESSAGE: Success\nCODE: 0\nSOURCE: Initialization");
    record.setErrorWithNSError({-17, "removing /x: Interrupted", "Interrupted"});
    EXPECT_EQ(record.getError().utf8(), "MESSAGE: Interrupted\nCODE: -17\nSOURCE: ERROR");
    EXPECT_EQ(record.code().utf8(), "-17");
    record.setErrorWithError(SkrError({-4, "removing /x: Interrupted", ""}));
    EXPECT_EQ(record.getError().utf8(),
              "MESSAGE: removing /x: Interrupted\nCODE: -4\nSOURCE: ERROR");
    record.clearError();
    EXPECT_EQ(record.getError().utf8(), SkrError().getError().utf8());
}

// Downloads and uploads alike: see the tests in a root of their own for the volume forms at work.
TEST(LocalPaths, WhereADownloadIsWrittenAndWhereAnUploadIsLookedFor) {
    ScopedEnv home("HOME", "/Users/u");
    const struct {
        const char *given, *work, *folder, *file, *upload;
    } rows[] = {
        {"/D/q1.csv", "/Volumes/D/q1.csv", "/Volumes/D", "q1.csv", "/Volumes/D/q1.csv"},
        {"q1.csv", "/Volumes/q1.csv", "/Volumes", "q1.csv", "/Volumes/q1.csv"},
        {"~/D/q", "/Volumes/Users/u/D/q", "/Volumes/Users/u/D", "q", "/Volumes/~/D/q"},
        {"/u/Volumes/x/q", "/u/Volumes/x/q", "/u/Volumes/x", "q", nullptr},
        {"/Volumes/D/R/", "/Volumes/D/R/", "/Volumes/D", "R/", nullptr},
        {"/volumes/x", "/Volumes/volumes/x", "/Volumes/volumes", "x", "/Volumes/volumes/x"},
    };
    for (const auto& row : rows) {
        const platform::String work = downloadWorkPath(S(row.given)), folder = downloadFolder(work);
        EXPECT_EQ(work.utf8() + " " + folder.utf8() + " " + downloadFileName(work, folder).utf8(),
                  std::string(row.work) + " " + row.folder + " " + row.file);
        std::vector<std::string> expected{row.given}, uploads;
        if (row.upload) expected.push_back(row.upload);
        for (const auto& path : uploadCandidates(S(row.given))) uploads.push_back(path.utf8());
        EXPECT_EQ(uploads, expected);
    }
}

TEST(Region, FirstPairNamedRegionGivesItsValueAndOnlyAKnownNameAConstraint) {
    const std::pair<const char*, const char*> rows[] = {
        {"REGION=us-west-2;region=sa-east-1", "us-west-2"},
        {"region=EU-1=x", "EU-1"},
        {"region;x=1;region= eu ", " eu "},
        {"region=;region=eu-west-1", ""},
        {"regionx=eu", ""},
        {" region=eu", ""},
        {"", ""}};
    for (const auto& [parameters, region] : rows) {
        EXPECT_EQ(regionFromParameters(S(parameters)).utf8(), region) << parameters;
    }
    EXPECT_FALSE(regionFromParameters(kNull).isNull());
    using Aws::S3::Model::BucketLocationConstraintMapper::GetNameForBucketLocationConstraint;
    for (int c = int(BucketLocationConstraint::eu_west_1);
         c <= int(BucketLocationConstraint::cn_northwest_1); ++c) {
        const auto name = S(GetNameForBucketLocationConstraint(BucketLocationConstraint(c)));
        EXPECT_EQ(GetRegion(name.uppercaseString()), BucketLocationConstraint(c)) << name.utf8();
    }
    for (const char* name : {"", "EU", " eu-west-1", "eu_west_1", "mars-1"}) {
        EXPECT_EQ(GetRegion(S(name)), BucketLocationConstraint::us_east_1) << name;
    }
}

TEST(ListingProperties, TextsOfAnObject) {
    Aws::S3::Model::Object object;
    object.SetKey("d/\xC3\xA9.txt");
    object.SetETag("\"abc\"");
    object.SetSize(5000000000LL);
    object.SetStorageClass(Class::GLACIER);
    Aws::S3::Model::Owner owner;
    owner.SetDisplayName("owner-name");
    owner.SetID("owner-id");
    object.SetOwner(owner);
    object.SetLastModified(Aws::Utils::DateTime(int64_t{1700000000000}));  // 2023-11-14T22:13:20Z
    ScopedEnv zone("TZ", "IST-5:30");
    ::tzset();
    std::string texts;
    for (const char* name : {"key", "displayname", "name", "etag", "size", "storageclass",
                             "isfolder", "ownername", "ownerid", "owner", "lastmodified"}) {
        texts += objectPropertyText(object, S(name)).utf8() + " ";
    }
    EXPECT_EQ(texts,
              "d/\xC3\xA9.txt d/\xC3\xA9.txt d/\xC3\xA9.txt \"abc\" 5000000000 GLACIER false "
              "owner-name owner-id  2023-11-15T03:43:20Z ");
    for (const auto& [key, text] : {std::pair{"d/", "true"}, {"", "true"}, {"r-1.2/", "false"}}) {
        EXPECT_EQ(isFolderText(S(key)).utf8(), text) << key;
    }
    // The five classes the service names; every other class (up to DEEP_ARCHIVE), "NOT SET".
    for (int c = int(Class::NOT_SET); c <= int(Class::DEEP_ARCHIVE); ++c) {
        const std::string name =
            Aws::S3::Model::ObjectStorageClassMapper::GetNameForObjectStorageClass(Class(c));
        const bool named = c >= int(Class::STANDARD) && c <= int(Class::ONEZONE_IA);
        EXPECT_EQ(storageClassText(Class(c)).utf8(), named ? name : "NOT SET") << name;
    }
}

}  // namespace
}  // namespace storage_test
