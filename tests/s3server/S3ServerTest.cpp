// The local S3 test server: it answers correctly signed requests, refuses every request whose
// signature, credentials or body hash is wrong before the store sees it, records requests as
// sent, and carries out its test controls.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "SignedCurl.h"
#include "TestServer.h"

namespace skrw::test {
namespace {

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The text of the first <tag> element in an XML body, or "" when there is none.
std::string element(const std::string& xml, const std::string& tag) {
    const std::string open = "<" + tag + ">";
    const size_t start = xml.find(open);
    if (start == std::string::npos) return "";
    const size_t end = xml.find("</" + tag + ">", start);
    if (end == std::string::npos) return "";
    return xml.substr(start + open.size(), end - start - open.size());
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::string urlEncode(const std::string& text) {
    std::string out;
    char escape[4];
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            out += escape;
        }
    }
    return out;
}

class S3ServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bucket_ = uniqueName("s3server");
        HttpCall create;
        create.method = "PUT";
        create.target = "/" + bucket_;
        ASSERT_EQ(send(create).status, 200);
    }

    HttpAnswer put(const std::string& encodedKey, const std::string& body,
                   const std::string& contentSha256 = "UNSIGNED-PAYLOAD") {
        HttpCall call;
        call.method = "PUT";
        call.target = "/" + bucket_ + "/" + encodedKey;
        call.body = body;
        call.hasBody = true;
        call.contentSha256 = contentSha256;
        return send(call);
    }

    HttpAnswer get(const std::string& target) {
        HttpCall call;
        call.target = target;
        return send(call);
    }

    HttpAnswer getObject(const std::string& encodedKey) {
        return get("/" + bucket_ + "/" + encodedKey);
    }

    std::string bucket_;
};

TEST_F(S3ServerTest, AnswersCorrectlySignedRequests) {
    ASSERT_EQ(put("greeting.txt", "hello").status, 200);
    HttpAnswer answer = getObject("greeting.txt");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "hello");
    EXPECT_EQ(answer.headers["content-length"], "5");
}

TEST_F(S3ServerTest, RefusesAWrongSecretAndStoresNothing) {
    HttpCall call;
    call.method = "PUT";
    call.target = "/" + bucket_ + "/secret.txt";
    call.body = "data";
    call.hasBody = true;
    call.secretKey = "not-the-secret";
    HttpAnswer answer = send(call);
    EXPECT_EQ(answer.status, 403);
    EXPECT_EQ(element(answer.body, "Code"), "SignatureDoesNotMatch");
    EXPECT_EQ(answer.headers["content-type"], "application/xml");
    EXPECT_EQ(getObject("secret.txt").status, 404);
}

TEST_F(S3ServerTest, RefusesUnsignedRequestsWithoutPassingThemOn) {
    HttpCall call;
    call.method = "PUT";
    call.target = "/" + bucket_ + "/unsigned.txt";
    call.body = "data";
    call.hasBody = true;
    call.sign = false;
    HttpAnswer answer = send(call);
    EXPECT_EQ(answer.status, 403);
    EXPECT_EQ(element(answer.body, "Code"), "SignatureDoesNotMatch");
    EXPECT_EQ(getObject("unsigned.txt").status, 404);
}

TEST_F(S3ServerTest, RefusesAnUnknownAccessKey) {
    HttpCall call;
    call.target = "/" + bucket_;
    call.accessKey = "SOMEONE";
    HttpAnswer answer = send(call);
    EXPECT_EQ(answer.status, 403);
    EXPECT_EQ(element(answer.body, "Code"), "InvalidAccessKeyId");
}

TEST_F(S3ServerTest, VerifiesEncodedKeysAndStoresThemDecoded) {
    ASSERT_EQ(put("a%20b%2Bc", "spaced").status, 200);
    EXPECT_EQ(getObject("a%20b%2Bc").body, "spaced");
    HttpAnswer listing = get("/" + bucket_ + "?list-type=2");
    ASSERT_EQ(listing.status, 200);
    EXPECT_EQ(element(listing.body, "Key"), "a b+c");
}

// s3rver keeps objects as files and would die on a NUL in a name, taking the shared server
// down with it; the front refuses such names and keeps serving.
TEST_F(S3ServerTest, RefusesKeysHoldingNulAndKeepsServing) {
    HttpAnswer answer = put("cut%00tail", "data");
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(element(answer.body, "Code"), "InvalidArgument");
    EXPECT_EQ(getObject("cut%00tail").status, 400);
    ASSERT_EQ(put("after.txt", "still here").status, 200);
    EXPECT_EQ(getObject("after.txt").body, "still here");
}

TEST_F(S3ServerTest, ListsPageByPageWithContinuationTokens) {
    for (const char* key : {"k1", "k2", "k3"}) ASSERT_EQ(put(key, key).status, 200);

    HttpAnswer first = get("/" + bucket_ + "?list-type=2&max-keys=2");
    ASSERT_EQ(first.status, 200) << first.body;
    EXPECT_EQ(element(first.body, "IsTruncated"), "true");
    EXPECT_EQ(countOf(first.body, "<Key>"), 2);
    const std::string token = element(first.body, "NextContinuationToken");
    ASSERT_FALSE(token.empty());

    // Parameters in sorted order: curl signs them in the order written.
    HttpAnswer second =
        get("/" + bucket_ + "?continuation-token=" + urlEncode(token) + "&list-type=2&max-keys=2");
    ASSERT_EQ(second.status, 200) << second.body;
    EXPECT_EQ(element(second.body, "IsTruncated"), "false");
    EXPECT_EQ(element(second.body, "Key"), "k3");
    EXPECT_EQ(countOf(second.body, "<Key>"), 1);
}

TEST_F(S3ServerTest, RefusesABodyThatDoesNotMatchItsSignedHash) {
    HttpAnswer answer = put("hashed.txt", "the real body", sha256Hex("another body"));
    EXPECT_EQ(answer.status, 400);
    EXPECT_EQ(element(answer.body, "Code"), "XAmzContentSHA256Mismatch");
    EXPECT_EQ(element(answer.body, "S3ComputedContentSHA256"), sha256Hex("the real body"));
    EXPECT_EQ(getObject("hashed.txt").status, 404);
}

TEST_F(S3ServerTest, AcceptsBodiesWhoseSignedHashMatches) {
    EXPECT_EQ(put("small.txt", "small", sha256Hex("small")).status, 200);
    // Large enough to be held in a file rather than in memory on its way through.
    std::string large(20 * 1024 * 1024 + 7, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>((i * 31 + i / 4096) & 0xFF);
    ASSERT_EQ(put("large.bin", large, sha256Hex(large)).status, 200);
    HttpAnswer back = getObject("large.bin");
    EXPECT_EQ(back.status, 200);
    EXPECT_EQ(back.body.size(), large.size());
    EXPECT_TRUE(back.body == large);
}

TEST_F(S3ServerTest, RecordsRawTargetsAndHeaderValuesExactly) {
    const std::string note = "caf\xc3\xa9 \"quoted\" back\\slash \xf0\x9f\x98\x80";
    HttpCall call;
    call.method = "PUT";
    call.target = "/" + bucket_ + "/rec%2Bord%20ed?x-id=PutObject";
    call.body = "x";
    call.hasBody = true;
    call.headers = {"x-amz-meta-note: " + note};
    ASSERT_EQ(send(call).status, 200);

    const auto requests = requestsFor(bucket_);
    auto it = std::find_if(requests.rbegin(), requests.rend(),
                           [&](const RecordedRequest& r) { return r.target == call.target; });
    ASSERT_NE(it, requests.rend());
    EXPECT_EQ(it->method, "PUT");
    EXPECT_EQ(it->headers.at("x-amz-meta-note"), note);
    EXPECT_EQ(it->headers.at("x-amz-content-sha256"), "UNSIGNED-PAYLOAD");
    EXPECT_EQ(it->headers.at("content-length"), "1");
    EXPECT_EQ(it->headers.at("authorization").rfind("AWS4-HMAC-SHA256 Credential=S3RVER/", 0), 0u);
}

TEST_F(S3ServerTest, CopiesFromSourcesWhoseKeysHoldReservedCharacters) {
    ASSERT_EQ(put("a%2Bb%3Fc%23d%20e", "source").status, 200);
    const std::string copySource = "/" + bucket_ + "/a%2Bb%3Fc%23d%20e";
    HttpCall copy;
    copy.method = "PUT";
    copy.target = "/" + bucket_ + "/copied";
    copy.headers = {"x-amz-copy-source: " + copySource};
    HttpAnswer answer = send(copy);
    ASSERT_EQ(answer.status, 200) << answer.body;
    EXPECT_NE(answer.body.find("<CopyObjectResult>"), std::string::npos);
    EXPECT_EQ(getObject("copied").body, "source");

    const auto requests = requestsFor(bucket_);
    auto it = std::find_if(requests.rbegin(), requests.rend(), [&](const RecordedRequest& r) {
        return r.method == "PUT" && r.target == copy.target;
    });
    ASSERT_NE(it, requests.rend());
    EXPECT_EQ(it->headers.at("x-amz-copy-source"), copySource);
}

TEST_F(S3ServerTest, DeleteOnPutRemovesTheFileWhenThatObjectIsUploaded) {
    TempDir dir;
    const std::string file = dir.path() + "/upload.txt";
    std::ofstream(file) << "local copy";
    changeOnPut(bucket_, "up load+1", file, "delete");

    ASSERT_EQ(put("other", "x").status, 200);
    EXPECT_TRUE(exists(file)) << "a PUT of another key must leave the file";
    HttpCall refused;
    refused.method = "PUT";
    refused.target = "/" + bucket_ + "/up%20load%2B1";
    refused.body = "x";
    refused.hasBody = true;
    refused.secretKey = "wrong";
    ASSERT_EQ(send(refused).status, 403);
    EXPECT_TRUE(exists(file)) << "a refused PUT must leave the file";

    ASSERT_EQ(put("up%20load%2B1", "uploaded").status, 200);
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(getObject("up%20load%2B1").body, "uploaded");
}

TEST(S3ServerControl, RefusesMalformedControlRequests) {
    EXPECT_THROW(changeOnPut("b", "k", "relative/path", "delete"), std::runtime_error);
    EXPECT_THROW(changeOnPut("b", "k", "/abs/path", "chmod"), std::runtime_error);
}

}  // namespace
}  // namespace skrw::test
