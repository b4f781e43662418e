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
        "<ListAllMyBucketsResult><Buckets><Bucket><Name>zeta</Name><CreationDate>2020-01-02T03:"
        "04:05.000Z</CreationDate></Bucket><Bucket><Name>b</Name></Bucket></Buckets>"
        "</ListAllMyBucketsResult>");
    ASSERT_TRUE(buckets.ok() && buckets.result().GetBuckets().size() == 2);
    EXPECT_EQ(buckets.result().GetBuckets()[0].GetCreationDate().Millis(), 1577934245000);
    EXPECT_EQ(buckets.result().GetBuckets()[1].GetName(), "b");
    const auto parsed = parseListObjectsV2(listing(
        "\n <KeyCount>3</KeyCount><IsTruncated>true</IsTruncated>"
        "<NextContinuationToken>a+b/c==</NextContinuationToken>"
        "<Contents><Key>photos/a b.jpg</Key><LastModified>2019-10-12T17:50:30.000Z</LastModified>"
        "<ETag>&quot;9b2c&quot;</ETag><Size>5368709120</Size><Owner><ID>abc</ID>"
        "<DisplayName>owner name</DisplayName></Owner><StorageClass>STANDARD_IA</StorageClass>"
        "</Contents>\n <Contents>\n  <Key>x</Key>\n <StorageClass>GLACIER_IR</StorageClass>"
        "</Contents><CommonPrefixes>\n <Prefix>p/</Prefix></CommonPrefixes>"));
    ASSERT_TRUE(parsed.ok()) << parsed.refusal();
    const ListObjectsV2Result& result = parsed.result();
    std::string seen = result.GetNextContinuationToken() + " " +
                       std::to_string(result.GetIsTruncated()) + " " +
                       std::to_string(result.GetKeyCount());
    for (const Object& o : result.GetContents()) {
        seen += "|" + o.GetKey() + " " + o.GetETag() + " " + o.GetOwner().GetID() + " " +
                o.GetOwner().GetDisplayName() + " " + std::to_string(o.OwnerHasBeenSet()) + " " +
                std::to_string(o.GetSize()) + " " + std::to_string(o.GetLastModified().Millis());
    }
    for (const CommonPrefix& prefix : result.GetCommonPrefixes()) seen += "|" + prefix.GetPrefix();
    EXPECT_EQ(seen,
              "a+b/c== 1 3|photos/a b.jpg \"9b2c\" abc owner name 1 5368709120 1570902630000|x    "
              "0 0 0|p/");
    EXPECT_EQ(result.GetContents()[0].GetStorageClass(), ObjectStorageClass::STANDARD_IA);
    EXPECT_EQ(result.GetContents()[1].GetStorageClass(), ObjectStorageClass::NOT_SET);
}

// Element names are matched without their namespace prefix, at every level.
TEST(XmlParsersTest, PrefixedElementNamesAreRead) {
    const auto parsed = parseListObjectsV2(
        "<s3:ListBucketResult xmlns:s3=\"http://s3.amazonaws.com/doc/2006-03-01/\">"
        "<s3:KeyCount>1</s3:KeyCount><s3:Contents><s3:Key>k</s3:Key><s3:Size>7</s3:Size>"
        "</s3:Contents><s3:CommonPrefixes><s3:Prefix>p/</s3:Prefix></s3:CommonPrefixes>"
        "</s3:ListBucketResult>");
    ASSERT_TRUE(parsed.ok()) << parsed.refusal();
    const ListObjectsV2Result& result = parsed.result();
    ASSERT_EQ(result.GetContents().size(), 1u);
    ASSERT_EQ(result.GetCommonPrefixes().size(), 1u);
    EXPECT_EQ(result.GetContents()[0].GetKey() + " " +
                  std::to_string(result.GetContents()[0].GetSize()) + " " +
                  result.GetCommonPrefixes()[0].GetPrefix() + " " +
                  std::to_string(result.GetKeyCount()),
              "k 7 p/ 1");
    const auto buckets = parseListBuckets(
        "<a:ListAllMyBucketsResult xmlns:a=\"x\"><a:Buckets><a:Bucket><a:Name>b</a:Name>"
        "</a:Bucket></a:Buckets></a:ListAllMyBucketsResult>");
    ASSERT_TRUE(buckets.ok() && buckets.result().GetBuckets().size() == 1);
    EXPECT_EQ(buckets.result().GetBuckets()[0].GetName(), "b");
    const auto error = parseErrorDocument(
        "<e:Error xmlns:e=\"x\"><e:Code>C</e:Code><e:Message>M</e:Message></e:Error>");
    EXPECT_EQ(error ? error->code + "|" + error->message : "", "C|M");
}

TEST(XmlParsersTest, KeysAreKeptByteForByteAndOnlyPredefinedEntitiesAreDecoded) {
    const std::pair<std::string, std::string> rows[] = {
        {" ", " "},
        {"\t", "\t"},
        {"a\rb", "a\rb"},
        {"a\r\nb", "a\r\nb"},
        {"&#13;", "\r"},
        {"a&x;b", "a&x;b"},
        {" <![CDATA[\r\n]]>\r", " \r\n\r"},
        {"a&amp;b&lt;&gt;&apos;&#x20AC;&#65;", "a&b<>'\u20ACA"}};
    for (const auto& [key, expected] : rows) {
        SCOPED_TRACE(key);
        const auto parsed =
            parseListObjectsV2(listing("<Contents><Key>" + key + "</Key></Contents>"));
        ASSERT_TRUE(parsed.ok() && parsed.result().GetContents().size() == 1);
        EXPECT_EQ(parsed.result().GetContents()[0].GetKey(), expected);
    }
}

TEST(XmlParsersTest, ErrorAndCopyDocumentsAreReadAsSent) {
    const auto error = parseErrorDocument(
        "<?xml version=\"1.0\"?><Error><Code>NoSuchKey</Code><Message>one\r\ntwo "
        "</Message></Error>");
    EXPECT_EQ(error ? error->code + "|" + error->message : "", "NoSuchKey|one\r\ntwo ");
    EXPECT_FALSE(parseErrorDocument("<CopyObjectResult/>"));
    const auto copy =
        parseCopyObjectResult("<CopyObjectResult><ETag>\"a\"</ETag></CopyObjectResult>");
    EXPECT_EQ(copy.ok() ? copy.result().GetETag() : "", "\"a\"");
    EXPECT_FALSE(parseCopyObjectResult("<Error><Code>X</Code></Error>").ok());
}

TEST(XmlParsersTest, MalformedForeignHugeAndDtdDocumentsAreRefusedUnread) {
    std::string huge = listing("<Contents><Key>k</Key></Contents>");
    huge.insert(huge.size() - 19, std::string((16u << 20) + 1, ' '));
    for (const std::string& body :
         {std::string(), std::string("<ListBucketResult><Contents>"),
          std::string("<ListAllMyBucketsResult/>"), huge,
          std::string(
              "<!DOCTYPE r [<!ENTITY x \"expanded\">]>"
              "<ListBucketResult><Contents><Key>&x;</Key></Contents></ListBucketResult>")}) {
        SCOPED_TRACE(body.substr(0, 60));
        const auto parsed = parseListObjectsV2(body);
        EXPECT_FALSE(parsed.ok() || parsed.refusal().empty());
    }
}

// Dates beyond the system clock's range (about 1677 to 2262) keep their value.
TEST(DateTimeTest, FarDatesAreReadWholeAndTheClockValueSaturates) {
    using Aws::Utils::DateFormat;
    using Aws::Utils::DateTime;
    using Clock = std::chrono::system_clock;
    for (const auto& [text, format, millis] :
         {std::tuple{"4048-01-02T03:04:05.000Z", DateFormat::ISO_8601, 65575451045000},
          {"Thu, 02 Jan 4048 03:04:05 GMT", DateFormat::RFC822, 65575451045000},
          {"0001-01-01T00:00:00Z", DateFormat::AutoDetect, -62135596800000}}) {
        SCOPED_TRACE(text);
        const DateTime date(text, format);
        ASSERT_TRUE(date.WasParseSuccessful());
        EXPECT_EQ(date.Millis(), millis);
        EXPECT_EQ(DateTime(date.ToGmtString(DateFormat::ISO_8601), DateFormat::ISO_8601), date);
        EXPECT_EQ(date.UnderlyingTimestamp(),
                  millis > 0 ? Clock::time_point::max() : Clock::time_point::min());
    }
}

}  // namespace
}  // namespace skrw::aws
