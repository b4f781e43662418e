// The answer parsers on bodies written for the purpose: what is read, what is
// refused, and that nothing beyond the predefined entities is expanded.
#include <gtest/gtest.h>

#include "XmlParsers.h"

namespace skrw::aws {
namespace {

using namespace Aws::S3::Model;

std::string listing(const std::string& inner) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ListBucketResult "
           "xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\"><Name>b</Name>" +
           inner + "</ListBucketResult>";
}

TEST(XmlParsersTest, BucketNamesComeInServiceOrderAndAnEmptyListIsNoFailure) {
    const auto parsed = parseListBuckets(
        "<ListAllMyBucketsResult xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\">"
        "<Owner><ID>id1</ID></Owner><Buckets>"
        "<Bucket><Name>zeta</Name><CreationDate>2020-01-02T03:04:05.000Z"
        "</CreationDate></Bucket><Bucket><Name>alpha</Name></Bucket>"
        "</Buckets></ListAllMyBucketsResult>");
    ASSERT_TRUE(parsed.ok());
    const ListBucketsResult& result = parsed.result();
    ASSERT_EQ(result.GetBuckets().size(), 2u);
    EXPECT_EQ(result.GetBuckets()[0].GetName(), "zeta");
    EXPECT_EQ(result.GetBuckets()[1].GetName(), "alpha");
    EXPECT_EQ(result.GetBuckets()[0].GetCreationDate().Millis(), 1577934245000);
    for (const char* empty : {"<ListAllMyBucketsResult><Buckets/></ListAllMyBucketsResult>",
                              "<ListAllMyBucketsResult/>"}) {
        const auto none = parseListBuckets(empty);
        ASSERT_TRUE(none.ok()) << empty;
        EXPECT_TRUE(none.result().GetBuckets().empty()) << empty;
    }
}

TEST(XmlParsersTest, ObjectFieldsAreReadAsListed) {
    const std::string body = listing(
        "<KeyCount>2</KeyCount><MaxKeys>2</MaxKeys><IsTruncated>true</IsTruncated>"
        "<NextContinuationToken>a+b/c==</NextContinuationToken>"
        "<Contents><Key>photos/a b.jpg</Key><LastModified>2019-10-12T17:50:30.000Z</LastModified>"
        "<ETag>&quot;9b2cf535f27731c974343645a3985328&quot;</ETag><Size>5368709120</Size>"
        "<Owner><ID>abc</ID><DisplayName>owner name</DisplayName></Owner>"
        "<StorageClass>STANDARD_IA</StorageClass></Contents>"
        "<Contents><Key>x</Key><Size>0</Size><StorageClass>GLACIER</StorageClass></Contents>");
    const auto parsed = parseListObjectsV2(body);
    ASSERT_TRUE(parsed.ok());
    const ListObjectsV2Result& result = parsed.result();
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
    const auto parsed =
        parseListObjectsV2(listing("<Contents><Key>k</Key><StorageClass>GLACIER_IR"
                                   "</StorageClass></Contents><IsTruncated>false"
                                   "</IsTruncated>"));
    ASSERT_TRUE(parsed.ok());
    const ListObjectsV2Result& result = parsed.result();
    ASSERT_EQ(result.GetContents().size(), 1u);
    const Object& object = result.GetContents()[0];
    EXPECT_EQ(object.GetStorageClass(), ObjectStorageClass::NOT_SET);
    EXPECT_FALSE(object.OwnerHasBeenSet());
    EXPECT_EQ(object.GetOwner().GetDisplayName(), "");
    EXPECT_EQ(object.GetOwner().GetID(), "");
    EXPECT_FALSE(result.GetIsTruncated());
    EXPECT_EQ(result.GetNextContinuationToken(), "");
}

TEST(XmlParsersTest, KeysAreKeptByteForByteAndOnlyPredefinedEntitiesAreDecoded) {
    const std::pair<std::string, std::string> rows[] = {{"a&amp;b&lt;&gt;&apos;&#x20AC;&#65;",
                                                         "a&b<>'\xE2\x82\xAC"
                                                         "A"},
                                                        {"a&x;b", "a&x;b"},
                                                        {" ", " "},
                                                        {"\t", "\t"},
                                                        {"a\rb", "a\rb"},
                                                        {"a\r\nb", "a\r\nb"},
                                                        {" a", " a"},
                                                        {"a ", "a "},
                                                        {"&#13;", "\r"},
                                                        {"a&#13;&#10;b", "a\r\nb"},
                                                        {"&#x9;", "\t"},
                                                        {" <![CDATA[\r\n]]>\r", " \r\n\r"}};
    for (const auto& [key, expected] : rows) {
        SCOPED_TRACE(key);
        const auto parsed =
            parseListObjectsV2(listing("<Contents><Key>" + key + "</Key></Contents>"));
        ASSERT_TRUE(parsed.ok());
        ASSERT_EQ(parsed.result().GetContents().size(), 1u);
        EXPECT_EQ(parsed.result().GetContents()[0].GetKey(), expected);
    }
}

TEST(XmlParsersTest, EveryParserKeepsTextExactlyBetweenIndentedElements) {
    const auto parsedBuckets = parseListBuckets(
        "<ListAllMyBucketsResult>\r\n <Buckets>\r\n  <Bucket>\r\n"
        "   <Name> b\r</Name>\r\n  </Bucket>\r\n </Buckets>\r\n"
        "</ListAllMyBucketsResult>\r\n");
    ASSERT_TRUE(parsedBuckets.ok());
    const ListBucketsResult& buckets = parsedBuckets.result();
    ASSERT_EQ(buckets.GetBuckets().size(), 1u);
    EXPECT_EQ(buckets.GetBuckets()[0].GetName(), " b\r");

    const auto parsedObjects =
        parseListObjectsV2(listing("\n <Contents>\n  <Key>\t</Key>\n  <Size>7</Size>\n"
                                   " </Contents>\n <CommonPrefixes>\n  <Prefix> \r\n"
                                   "</Prefix>\n </CommonPrefixes>\n <IsTruncated>true"
                                   "</IsTruncated>\n"));
    ASSERT_TRUE(parsedObjects.ok());
    const ListObjectsV2Result& objects = parsedObjects.result();
    ASSERT_EQ(objects.GetContents().size(), 1u);
    EXPECT_EQ(objects.GetContents()[0].GetKey(), "\t");
    EXPECT_EQ(objects.GetContents()[0].GetSize(), 7);
    ASSERT_EQ(objects.GetCommonPrefixes().size(), 1u);
    EXPECT_EQ(objects.GetCommonPrefixes()[0].GetPrefix(), " \r\n");
    EXPECT_TRUE(objects.GetIsTruncated());

    const auto error =
        parseErrorDocument("<Error>\r\n <Code>C</Code>\r\n <Message>one\r\ntwo </Message></Error>");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, "C");
    EXPECT_EQ(error->message, "one\r\ntwo ");

    const auto copy = parseCopyObjectResult(
        "<CopyObjectResult>\r\n <ETag>\"a\r\"</ETag>\r\n"
        "</CopyObjectResult>");
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(copy.result().GetETag(), "\"a\r\"");
}

TEST(XmlParsersTest, DocumentTypeDeclarationsAreRefusedAndNeverExpanded) {
    EXPECT_FALSE(parseListObjectsV2("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x \"expanded\">]>"
                                    "<ListBucketResult><Contents><Key>&x;</Key></Contents>"
                                    "</ListBucketResult>")
                     .ok());
    EXPECT_FALSE(parseErrorDocument("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                                    "<Error><Code>C</Code><Message>&x;</Message></Error>")
                     .has_value());
}

TEST(XmlParsersTest, BodiesAbove16MiBAreRefusedUnparsed) {
    std::string huge = listing("<Contents><Key>k</Key></Contents>");
    huge.insert(huge.size() - std::string("</ListBucketResult>").size(),
                std::string((16u << 20) + 1, ' '));
    EXPECT_FALSE(parseListObjectsV2(huge).ok());
    EXPECT_FALSE(parseListBuckets(std::string(17u << 20, ' ')).ok());
}

TEST(XmlParsersTest, MalformedOrForeignDocumentsAreRefused) {
    for (const char* body :
         {"", "not xml", "<ListBucketResult><Contents>", "<ListAllMyBucketsResult/>"}) {
        EXPECT_FALSE(parseListObjectsV2(body).ok()) << body;
    }
    EXPECT_FALSE(parseCopyObjectResult("<Error><Code>X</Code></Error>").ok());
    const auto copy = parseCopyObjectResult(
        "<CopyObjectResult><LastModified>2009-10-12T17:50:30.000Z"
        "</LastModified><ETag>\"abc\"</ETag></CopyObjectResult>");
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(copy.result().GetETag(), "\"abc\"");
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

}  // namespace
}  // namespace skrw::aws
