// Signing checked stage by stage against the worked examples of the public S3 Signature Version 4
// documentation for examplebucket.
#include <gtest/gtest.h>

#include "Crypto.h"
#include "Signer.h"
#include "UriEncoding.h"

namespace skrw::aws {
namespace {

constexpr const char* kDate = "20130524T000000Z";
const std::string kEmpty(kEmptyPayloadHash);
const std::string kScope = "20130524/us-east-1/s3/aws4_request";

// A request to examplebucket: the host, `extra`, then the payload hash and the date.
std::vector<Header> headers(std::vector<Header> extra, const std::string& payloadHash = kEmpty) {
    std::vector<Header> all{{"Host", "examplebucket.s3.amazonaws.com"}};
    all.insert(all.end(), extra.begin(), extra.end());
    all.push_back({"x-amz-content-sha256", payloadHash});
    all.push_back({"x-amz-date", kDate});
    return all;
}

TEST(SignerTest, DocumentedExamplesMatchAtEveryStage) {
    const std::string bodyHash = toHex(sha256("Welcome to Amazon S3."));
    const std::string getHead = "examplebucket.s3.amazonaws.com\n";
    const struct {
        const char* name;
        std::string method, path, query;
        std::vector<Header> headers;
        std::string payloadHash, canonical, toSignHash, signature;  // canonical "": not shown
    } rows[] = {
        {"GET with range", "GET", "/test.txt", "", headers({{"Range", "  bytes=0-9  "}}), kEmpty,
         "GET\n/test.txt\n\nhost:" + getHead + "range:bytes=0-9\nx-amz-content-sha256:" + kEmpty +
             "\nx-amz-date:20130524T000000Z\n\nhost;range;x-amz-content-sha256;x-amz-date\n" +
             kEmpty,
         "7344ae5b7ee6c3e7e6b0fe0640412a37625d1fbfff95c48bbb2dc43964946972",
         "f0e8bdb87c964420e857bd35b5d6ed310bd44f0170aba48dd91039c6036bdb41"},
        // Headers in another order and case than signed; "$" encoded in the path.
        {"PUT",
         "PUT",
         "/" + encodePathSegments("test$file.text"),
         "",
         {{"x-amz-storage-class", "REDUCED_REDUNDANCY"},
          {"Host", "examplebucket.s3.amazonaws.com"},
          {"Date", "Fri, 24 May 2013 00:00:00 GMT"},
          {"X-Amz-Date", kDate},
          {"x-amz-content-sha256", bodyHash}},
         bodyHash,
         "PUT\n/test%24file.text\n\ndate:Fri, 24 May 2013 00:00:00 GMT\nhost:" + getHead +
             "x-amz-content-sha256:" + bodyHash +
             "\nx-amz-date:20130524T000000Z\n"
             "x-amz-storage-class:REDUCED_REDUNDANCY\n\n"
             "date;host;x-amz-content-sha256;x-amz-date;x-amz-storage-class\n" +
             bodyHash,
         "9e0e90d9c76de8fa5b200d8c849cd5b8dc7a3be3951ddb7f6a76b4158342019d",
         "98ad721746da40c64f1a55b78f14c238d841ea1380cd77a1b5971af0ece108bd"},
        {"subresource without value", "GET", "/", canonicalQuery({{"lifecycle", ""}}), headers({}),
         kEmpty, "", "9766c798316ff2757b517bc739a67f6213b4ab36dd5da2f94eaebf79c77395ca",
         "fea454ca298b7da1c68078a5d1bdbfbbe0d65c699e0f91ac7a200a0136783543"},
    };
    const auto key =
        signingKey("wJalrXUtnFEMI/K7MDENG/bPxRfiCYEXAMPLEKEY", kDate, "us-east-1", "s3");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string canonical =
            canonicalRequest({row.method, row.path, row.query, &row.headers, row.payloadHash});
        EXPECT_TRUE(row.canonical.empty() || canonical == row.canonical) << canonical;
        const std::string toSign =
            stringToSign(kDate, credentialScope(kDate, "us-east-1", "s3"), canonical);
        EXPECT_EQ(toSign, "AWS4-HMAC-SHA256\n20130524T000000Z\n" + kScope + "\n" + row.toSignHash);
        EXPECT_EQ(signature(key, toSign), row.signature);
    }
    const auto blanks = headers({{"x-amz-meta-note", "a   b\tc"}});
    EXPECT_NE(canonicalRequest({"GET", "/", "", &blanks, kEmpty}).find("x-amz-meta-note:a b c\n"),
              std::string::npos);
    const auto time = std::chrono::system_clock::from_time_t(1369353600);  // 2013-05-24 00:00 UTC
    EXPECT_EQ(amzDate(time + std::chrono::seconds(3723)), "20130524T010203Z");
}

TEST(UriEncodingTest, WholeTextsPathSegmentsAndQueries) {
    const struct {
        std::string input, whole, segments = "";  // segments "": as whole
    } rows[] = {{"AZaz09-._~ +%?#=&*", "AZaz09-._~%20%2B%25%3F%23%3D%26%2A"},
                {std::string("\xC3\xA9\xE2\x82\xAC\0", 6), "%C3%A9%E2%82%AC%00"},
                // Path segments keep every slash and dot segment as given.
                {"//a/../b/./x/", "%2F%2Fa%2F..%2Fb%2F.%2Fx%2F", "//a/../b/./x/"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(uriEncode(row.input), row.whole);
        EXPECT_EQ(encodePathSegments(row.input), row.segments.empty() ? row.whole : row.segments);
    }
    EXPECT_EQ(canonicalQuery({{"list-type", "2"},
                              {"continuation-token", "ab+/c=="},
                              {"prefix", "a b/"},
                              {"delimiter", ""}}),
              "continuation-token=ab%2B%2Fc%3D%3D&delimiter=&list-type=2&prefix=a%20b%2F");
}

}  // namespace
}  // namespace skrw::aws
