// The answer parsers on bodies written for the purpose: what is read, what is
// refused, and that nothing beyond the predefined entities is expanded.
#include <gtest/gtest.h>

#include "XmlParsers.h"

namespace skrw::aws {
namespace {

using namespace Aws::S3::Model;

constexpr const char* kNs = "xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\"";

std::string listing(const std::string& inner) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><ListBucketResult ") + kNs +
           "><Name>b</Name>" + inner + "</ListBucketResult>";
}

TEST(XmlParsersTest, BucketNamesComeInServiceOrder) {
    ListBucketsResult result;
    const std::string body = std::string("<ListAllMyBucketsResult ") + kNs +
                             "><Owner><ID>id1</ID><DisplayName>me</DisplayName></Owner><Buckets>"
                             "<Bucket><Name>zeta</Name><CreationDate>2020-01-02T03:04:05.000Z"
                             "</CreationDate></Bucket><Bucket><Name>alpha</Name></Bucket>"
                             "</Buckets></ListAllMyBucketsResult>";
    ASSERT_EQ(parseListBuckets(body, result), "");
    ASSERT_EQ(result.GetBuckets().size(), 2u);
    EXPECT_EQ(result.GetBuckets()[0].GetName(), "zeta");
    EXPECT_EQ(result.GetBuckets()[1].GetName(), "alpha");
    EXPECT_EQ(result.GetBuckets()[0].GetCreationDate().Millis(), 1577934245000);
}

TEST(XmlParsersTest, EmptyBucketListIsEmptyNotAFailure) {
    ListBucketsResult result;
    EXPECT_EQ(
        parseListBuckets("<ListAllMyBucketsResult><Buckets/></ListAllMyBucketsResult>", result),
        "");
    EXPECT_TRUE(result.GetBuckets().empty());
    EXPECT_EQ(parseListBuckets("<ListAllMyBucketsResult/>", result), "");
    EXPECT_TRUE(result.GetBuckets().empty());
}

TEST(XmlParsersTest, ObjectFieldsAreReadAsListed) {
    ListObjectsV2Result result;
    const std::string body = listing(
        "<KeyCount>2</KeyCount><MaxKeys>2</MaxKeys><IsTruncated>true</IsTruncated>"
        "<NextContinuationToken>a+b/c==</NextContinuationToken>"
        "<Contents><Key>photos/a b.jpg</Key><LastModified>2019-10-12T17:50:30.000Z</LastModified>"
        "<ETag>&quot;9b2cf535f27731c974343645a3985328&quot;</ETag><Size>5368709120</Size>"
        "<Owner><ID>abc</ID><DisplayName>owner name</DisplayName></Owner>"
        "<StorageClass>STANDARD_IA</StorageClass></Contents>"
        "<Contents><Key>x</Key><Size>0</Size><StorageClass>GLACIER</StorageClass></Contents>");
    ASSERT_EQ(parseListObjectsV2(body, result), "");
    ASSERT_EQ(result.GetContents().size(), 2u);
    const Object& first = result.GetContents()[0];
    EXPECT_EQ(first.GetKey(), "photos/a b.jpg");
    EXPECT_EQ(first.GetETag(), "\"9b2cf535f27731c974343645a3985328\"");
    EXPECT_EQ(first.GetSize(), 5368709120LL);
    EXPECT_EQ(first.GetLastModified().Millis(), 1570902630000);
    EXPECT_EQ(first.GetStorageClass(), ObjectStorageClass::STANDARD_IA);
    EXPECT_EQ(first.GetOwner().GetID(), "abc");
    EXPECT_EQ(first.GetOwner().GetDisplayName(), "owner name");
    EXPECT_EQ(result.GetContents()[1].GetStorageClass(), ObjectStorageClass::GLACIER);
    EXPECT_TRUE(result.GetIsTruncated());
    EXPECT_EQ(result.GetNextContinuationToken(), "a+b/c==");
    EXPECT_EQ(result.GetKeyCount(), 2);
}

TEST(XmlParsersTest, MissingOwnerAndUnknownStorageClassGiveEmptyAndNotSet) {
    ListObjectsV2Result result;
    ASSERT_EQ(parseListObjectsV2(listing("<Contents><Key>k</Key><StorageClass>GLACIER_IR"
                                         "</StorageClass></Contents><IsTruncated>false"
                                         "</IsTruncated>"),
                                 result),
              "");
    ASSERT_EQ(result.GetContents().size(), 1u);
    const Object& object = result.GetContents()[0];
    EXPECT_EQ(object.GetStorageClass(), ObjectStorageClass::NOT_SET);
    EXPECT_FALSE(object.OwnerHasBeenSet());
    EXPECT_EQ(object.GetOwner().GetDisplayName(), "");
    EXPECT_EQ(object.GetOwner().GetID(), "");
    EXPECT_FALSE(result.GetIsTruncated());
    EXPECT_EQ(result.GetNextContinuationToken(), "");
}

TEST(XmlParsersTest, EmptyListingHasNoContentsButKeepsPrefixes) {
    ListObjectsV2Result result;
    ASSERT_EQ(parseListObjectsV2(listing("<KeyCount>0</KeyCount><CommonPrefixes><Prefix>a/"
                                         "</Prefix></CommonPrefixes>"),
                                 result),
              "");
    EXPECT_TRUE(result.GetContents().empty());
    ASSERT_EQ(result.GetCommonPrefixes().size(), 1u);
    EXPECT_EQ(result.GetCommonPrefixes()[0].GetPrefix(), "a/");
}

TEST(XmlParsersTest, PredefinedEntitiesAndCharacterReferencesAreDecoded) {
    ListObjectsV2Result result;
    ASSERT_EQ(parseListObjectsV2(listing("<Contents><Key>a&amp;b&lt;&gt;&apos;&#x20AC;&#65;"
                                         "</Key></Contents>"),
                                 result),
              "");
    EXPECT_EQ(result.GetContents()[0].GetKey(),
              "a&b<>'\xE2\x82\xAC"
              "A");
}

TEST(XmlParsersTest, DocumentTypeDeclarationsAreRefusedAndNeverExpanded) {
    const std::string withInternalEntity =
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x \"expanded\">]>"
        "<ListBucketResult><Contents><Key>&x;</Key></Contents></ListBucketResult>";
    ListObjectsV2Result result;
    EXPECT_NE(parseListObjectsV2(withInternalEntity, result), "");
    EXPECT_TRUE(result.GetContents().empty());

    const std::string withExternalEntity =
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
        "<Error><Code>C</Code><Message>&x;</Message></Error>";
    EXPECT_FALSE(parseErrorDocument(withExternalEntity).has_value());
}

TEST(XmlParsersTest, UndeclaredEntityIsKeptAsText) {
    ListObjectsV2Result result;
    ASSERT_EQ(parseListObjectsV2(listing("<Contents><Key>a&x;b</Key></Contents>"), result), "");
    EXPECT_EQ(result.GetContents()[0].GetKey(), "a&x;b");
}

TEST(XmlParsersTest, BodiesAbove16MiBAreRefusedUnparsed) {
    std::string body = listing("<Contents><Key>k</Key></Contents>");
    std::string huge = body;
    huge.insert(huge.size() - std::string("</ListBucketResult>").size(),
                std::string((16u << 20) + 1, ' '));
    ListObjectsV2Result result;
    EXPECT_NE(parseListObjectsV2(huge, result), "");
    EXPECT_TRUE(result.GetContents().empty());
    ListBucketsResult buckets;
    EXPECT_NE(parseListBuckets(std::string(17u << 20, ' '), buckets), "");
}

TEST(XmlParsersTest, MalformedOrForeignDocumentsAreRefused) {
    ListObjectsV2Result result;
    EXPECT_NE(parseListObjectsV2("", result), "");
    EXPECT_NE(parseListObjectsV2("not xml", result), "");
    EXPECT_NE(parseListObjectsV2("<ListBucketResult><Contents>", result), "");
    EXPECT_NE(parseListObjectsV2("<ListAllMyBucketsResult/>", result), "");
    CopyObjectResult copy;
    EXPECT_NE(parseCopyObjectResult("<Error><Code>X</Code></Error>", copy), "");
}

TEST(XmlParsersTest, ErrorDocumentGivesCodeAndMessage) {
    const auto error = parseErrorDocument(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Error><Code>NoSuchKey</Code>"
        "<Message>The specified key does not exist.</Message><Key>a b</Key>"
        "<RequestId>1</RequestId></Error>");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, "NoSuchKey");
    EXPECT_EQ(error->message, "The specified key does not exist.");
    EXPECT_FALSE(parseErrorDocument("<CopyObjectResult/>").has_value());
    EXPECT_FALSE(parseErrorDocument("").has_value());
}

TEST(XmlParsersTest, CopyResultReadsETag) {
    CopyObjectResult copy;
    ASSERT_EQ(parseCopyObjectResult("<CopyObjectResult><LastModified>2009-10-12T17:50:30.000Z"
                                    "</LastModified><ETag>\"abc\"</ETag></CopyObjectResult>",
                                    copy),
              "");
    EXPECT_EQ(copy.GetETag(), "\"abc\"");
}

}  // namespace
}  // namespace skrw::aws
