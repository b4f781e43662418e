// The answer parsers on bodies written for the purpose: what is read, byte for byte, what is
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

TEST(XmlParsersTest, ListingsAreReadInServiceOrderWithEveryField) {
    const auto buckets = parseListBuckets(
        "<ListAllMyBucketsResult>\r\n <Buckets><Bucket><Name>zeta</Name>"
        "<CreationDate>2020-01-02T03:04:05.000Z</CreationDate></Bucket>"
        "<Bucket>\r\n <Name> b\r</Name>\r\n</Bucket></Buckets></ListAllMyBucketsResult>\r\n");
    ASSERT_TRUE(buckets.ok());
    ASSERT_EQ(buckets.result().GetBuckets().size(), 2u);
    EXPECT_EQ(buckets.result().GetBuckets()[0].GetCreationDate().Millis(), 1577934245000);
    EXPECT_EQ(buckets.result().GetBuckets()[1].GetName(), " b\r");
    const auto none = parseListBuckets("<ListAllMyBucketsResult/>");
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none.result().GetBuckets().empty());

    const auto parsed = parseListObjectsV2(listing(
        "\n <KeyCount>3</KeyCount><IsTruncated>true</IsTruncated>"
        "<NextContinuationToken>a+b/c==</NextContinuationToken>"
        "<Contents><Key>photos/a b.jpg</Key><LastModified>2019-10-12T17:50:30.000Z</LastModified>"
        "<ETag>&quot;9b2c&quot;</ETag><Size>5368709120</Size><Owner><ID>abc</ID>"
        "<DisplayName>owner name</DisplayName></Owner><StorageClass>STANDARD_IA</StorageClass>"
        "</Contents>\n <Contents>\n  <Key>x</Key>\n <StorageClass>GLACIER_IR</StorageClass>"
        "</Contents><CommonPrefixes>\n <Prefix> \r\n</Prefix></CommonPrefixes>"));
    ASSERT_TRUE(parsed.ok()) << parsed.refusal();
    const ListObjectsV2Result& result = parsed.result();
    ASSERT_EQ(result.GetContents().size(), 2u);
    const Object& first = result.GetContents()[0];
    EXPECT_EQ(first.GetKey() + "|" + first.GetETag() + "|" + first.GetOwner().GetID() + "|" +
                  first.GetOwner().GetDisplayName(),
              "photos/a b.jpg|\"9b2c\"|abc|owner name");
    EXPECT_EQ(first.GetSize(), 5368709120LL);
    EXPECT_EQ(first.GetLastModified().Millis(), 1570902630000);
    EXPECT_EQ(first.GetStorageClass(), ObjectStorageClass::STANDARD_IA);
    const Object& second = result.GetContents()[1];
    EXPECT_EQ(second.GetStorageClass(), ObjectStorageClass::NOT_SET);
    EXPECT_FALSE(second.OwnerHasBeenSet());
    EXPECT_EQ(second.GetOwner().GetID() + second.GetOwner().GetDisplayName(), "");
    ASSERT_EQ(result.GetCommonPrefixes().size(), 1u);
    EXPECT_EQ(result.GetCommonPrefixes()[0].GetPrefix(), " \r\n");
    EXPECT_TRUE(result.GetIsTruncated());
    EXPECT_EQ(result.GetNextContinuationToken(), "a+b/c==");
    EXPECT_EQ(result.GetKeyCount(), 3);
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

TEST(XmlParsersTest, ErrorAndCopyDocumentsAreReadAsSent) {
    const auto error = parseErrorDocument(
        "<?xml version=\"1.0\"?><Error>\r\n <Code>NoSuchKey</Code>"
        "<Message>one\r\ntwo </Message><Key>a b</Key></Error>");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code + "|" + error->message, "NoSuchKey|one\r\ntwo ");
    for (const char* other : {"<CopyObjectResult/>", ""}) EXPECT_FALSE(parseErrorDocument(other));
    const auto copy =
        parseCopyObjectResult("<CopyObjectResult>\r\n <ETag>\"a\r\"</ETag></CopyObjectResult>");
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(copy.result().GetETag(), "\"a\r\"");
    EXPECT_FALSE(parseCopyObjectResult("<Error><Code>X</Code></Error>").ok());
}

TEST(XmlParsersTest, MalformedForeignHugeAndDtdDocumentsAreRefusedUnread) {
    std::string huge = listing("<Contents><Key>k</Key></Contents>");
    huge.insert(huge.size() - 19, std::string((16u << 20) + 1, ' '));
    for (const std::string& body :
         {std::string(), std::string("not xml"), std::string("<ListBucketResult><Contents>"),
          std::string("<ListAllMyBucketsResult/>"), huge,
          std::string(
              "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x \"expanded\">]>"
              "<ListBucketResult><Contents><Key>&x;</Key></Contents></ListBucketResult>")}) {
        SCOPED_TRACE(body.substr(0, 60));
        const auto parsed = parseListObjectsV2(body);
        EXPECT_FALSE(parsed.ok() || parsed.refusal().empty());
    }
    EXPECT_FALSE(parseListBuckets(std::string(17u << 20, ' ')).ok());
    EXPECT_FALSE(
        parseErrorDocument("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                           "<Error><Code>C</Code><Message>&x;</Message></Error>"));
}

}  // namespace
}  // namespace skrw::aws
