// The answer parsers on bodies written for the purpose: what is read, byte for byte, what is
// refused, and that nothing beyond the predefined entities is expanded; the dates they read.
#include <aws/core/utils/DateTime.h>
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
    const auto describe = [](const Object& o) {
        return o.GetKey() + "|" + o.GetETag() + "|" + o.GetOwner().GetID() + "|" +
               o.GetOwner().GetDisplayName() + "|" + std::to_string(o.GetSize()) + "|" +
               std::to_string(o.GetLastModified().Millis()) + "|" +
               std::to_string(static_cast<int>(o.GetStorageClass())) + "|" +
               std::to_string(o.OwnerHasBeenSet());
    };
    EXPECT_EQ(describe(result.GetContents()[0]),
              "photos/a b.jpg|\"9b2c\"|abc|owner name|5368709120|1570902630000|" +
                  std::to_string(static_cast<int>(ObjectStorageClass::STANDARD_IA)) + "|1");
    EXPECT_EQ(describe(result.GetContents()[1]),
              "x||||0|0|" + std::to_string(static_cast<int>(ObjectStorageClass::NOT_SET)) + "|0");
    ASSERT_EQ(result.GetCommonPrefixes().size(), 1u);
    EXPECT_EQ(result.GetCommonPrefixes()[0].GetPrefix(), " \r\n");
    EXPECT_EQ(result.GetNextContinuationToken() + std::to_string(result.GetIsTruncated()) +
                  std::to_string(result.GetKeyCount()),
              "a+b/c==13");
}

TEST(XmlParsersTest, KeysAreKeptByteForByteAndOnlyPredefinedEntitiesAreDecoded) {
    const std::pair<std::string, std::string> rows[] = {{" ", " "},
                                                        {"\t", "\t"},
                                                        {"a\rb", "a\rb"},
                                                        {"a\r\nb", "a\r\nb"},
                                                        {"&#13;", "\r"},
                                                        {"a&x;b", "a&x;b"},
                                                        {" <![CDATA[\r\n]]>\r", " \r\n\r"},
                                                        {"a&amp;b&lt;&gt;&apos;&#x20AC;&#65;",
                                                         "a&b<>'\xE2\x82\xAC"
                                                         "A"}};
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

// Dates beyond the system clock's range (about 1677 to 2262) keep their value.
TEST(DateTimeTest, FarDatesAreReadWholeAndTheClockValueSaturates) {
    using Aws::Utils::DateFormat;
    for (const auto& [text, format, millis] :
         {std::tuple{"4048-01-02T03:04:05.000Z", DateFormat::ISO_8601, 65575451045000},
          {"Thu, 02 Jan 4048 03:04:05 GMT", DateFormat::RFC822, 65575451045000},
          {"0001-01-01T00:00:00Z", DateFormat::AutoDetect, -62135596800000}}) {
        SCOPED_TRACE(text);
        const Aws::Utils::DateTime date(text, format);
        ASSERT_TRUE(date.WasParseSuccessful());
        EXPECT_EQ(date.Millis(), millis);
        EXPECT_EQ(
            Aws::Utils::DateTime(date.ToGmtString(DateFormat::ISO_8601), DateFormat::ISO_8601),
            date);
        EXPECT_EQ(date.UnderlyingTimestamp(), millis > 0
                                                  ? std::chrono::system_clock::time_point::max()
                                                  : std::chrono::system_clock::time_point::min());
    }
}

}  // namespace
}  // namespace skrw::aws
