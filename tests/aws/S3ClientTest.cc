// Every operation against the local S3 server, whose front rejects any request
// whose signature or body hash does not verify. Where the server behind the
// front cannot store a key byte-exact, the raw request the front received is
// checked instead.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "TestServer.h"

namespace skrw::test {
namespace {

using namespace Aws::S3;
using namespace Aws::S3::Model;

class S3ClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI(m_options);
        setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
        useServerEndpoint();
        m_client = makeClient(kSecretKey);
        m_bucket = uniqueName("aws-layer");
        CreateBucketRequest create;
        create.SetBucket(m_bucket);
        const auto outcome = m_client->CreateBucket(create);
        ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    }

    void TearDown() override {
        m_client.reset();
        Aws::ShutdownAPI(m_options);
    }

    static std::unique_ptr<S3Client> makeClient(const std::string& secret) {
        Aws::Client::ClientConfiguration configuration;
        configuration.region = "eu-west-1";
        return std::make_unique<S3Client>(
            Aws::Auth::AWSCredentials(kAccessKey, secret), configuration,
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    }

    PutObjectOutcome put(const std::string& key, const std::string& content) {
        PutObjectRequest request;
        request.SetBucket(m_bucket);
        request.SetKey(key);
        request.SetBody(Aws::MakeShared<std::stringstream>("test", content));
        return m_client->PutObject(request);
    }

    // The object's content, or a text starting with "FAILED: ".
    std::string get(const std::string& key, const std::string& bucket = "") {
        GetObjectRequest request;
        request.SetBucket(bucket.empty() ? m_bucket : bucket);
        request.SetKey(key);
        auto outcome = m_client->GetObject(request);
        if (!outcome.IsSuccess()) return "FAILED: " + outcome.GetError().GetMessage();
        std::ostringstream out;
        out << outcome.GetResult().GetBody().rdbuf();
        return out.str();
    }

    CopyObjectOutcome copy(const std::string& sourceKey, const std::string& key) {
        CopyObjectRequest request;
        request.SetBucket(m_bucket);
        request.SetKey(key);
        request.SetCopySource(m_bucket + "/" + sourceKey);
        return m_client->CopyObject(request);
    }

    ListObjectsV2Outcome list(const std::function<void(ListObjectsV2Request&)>& adjust = {}) {
        ListObjectsV2Request request;
        request.SetBucket(m_bucket);
        request.SetMaxKeys(1000);
        if (adjust) adjust(request);
        return m_client->ListObjectsV2(request);
    }

    std::vector<std::string> keys(const std::function<void(ListObjectsV2Request&)>& adjust = {}) {
        const auto outcome = list(adjust);
        EXPECT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
        std::vector<std::string> out;
        for (const auto& object : outcome.GetResult().GetContents()) out.push_back(object.GetKey());
        return out;
    }

    // The last request for this test's bucket with the method whose target
    // starts with "/<bucket><start>".
    RecordedRequest lastRequest(const std::string& method, const std::string& start) {
        const auto requests = requestsFor(m_bucket);
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if (it->method == method && it->target.starts_with("/" + m_bucket + start)) return *it;
        }
        ADD_FAILURE() << "no " << method << " request to /" << m_bucket << start;
        return {};
    }

    Aws::SDKOptions m_options;
    std::unique_ptr<S3Client> m_client;
    std::string m_bucket;
};

TEST_F(S3ClientTest, BucketsAreCreatedListedAndDeleted) {
    auto listed = m_client->ListBuckets();
    ASSERT_TRUE(listed.IsSuccess()) << listed.GetError().GetMessage();
    std::vector<std::string> names;
    for (const auto& bucket : listed.GetResult().GetBuckets()) names.push_back(bucket.GetName());
    EXPECT_NE(std::find(names.begin(), names.end(), m_bucket), names.end());
    // IP-address endpoint: path style, so the bucket is the first path segment.
    EXPECT_EQ(lastRequest("PUT", "").target, "/" + m_bucket);

    DeleteBucketRequest remove;
    remove.SetBucket(m_bucket);
    const auto removed = m_client->DeleteBucket(remove);
    ASSERT_TRUE(removed.IsSuccess()) << removed.GetError().GetMessage();
    listed = m_client->ListBuckets();
    ASSERT_TRUE(listed.IsSuccess());
    for (const auto& bucket : listed.GetResult().GetBuckets())
        EXPECT_NE(bucket.GetName(), m_bucket);
}

TEST_F(S3ClientTest, CreateBucketSendsItsLocationConstraint) {
    const std::string name = uniqueName("aws-located");
    CreateBucketConfiguration configuration;
    configuration.SetLocationConstraint(BucketLocationConstraint::eu_west_1);
    CreateBucketRequest create;
    create.SetBucket(name);
    create.SetCreateBucketConfiguration(configuration);
    const auto outcome = m_client->CreateBucket(create);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    const std::string body =
        "<CreateBucketConfiguration xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\">"
        "<LocationConstraint>eu-west-1</LocationConstraint></CreateBucketConfiguration>";
    const auto sent = requestsFor(name);
    ASSERT_FALSE(sent.empty());
    const RecordedRequest& request = sent.back();
    EXPECT_EQ(request.headers.at("content-length"), std::to_string(body.size()));
    EXPECT_EQ(request.headers.at("content-type"), "application/xml");
}

TEST_F(S3ClientTest, KeysWithSpecialCharactersRoundTripByteExact) {
    const std::vector<std::string> specialKeys = {"with space.txt",
                                                  "plus+sign",
                                                  "100%",
                                                  "what?",
                                                  "hash#tag",
                                                  "amp&eq=",
                                                  "\xC3\xBCn\xC3\xAF/c\xC3\xB8"
                                                  "d\xC3\xA9 \xE2\x82\xAC",
                                                  "semi;colon,comma",
                                                  "tilde~star*",
                                                  "folder/sub folder/file.bin"};
    for (const std::string& key : specialKeys) {
        const auto outcome = put(key, "content of " + key);
        ASSERT_TRUE(outcome.IsSuccess()) << key << ": " << outcome.GetError().GetMessage();
    }
    std::vector<std::string> listed = keys();
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected = specialKeys;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    for (const std::string& key : specialKeys) EXPECT_EQ(get(key), "content of " + key) << key;
    // The raw target of the "+" key is percent-encoded once.
    EXPECT_EQ(lastRequest("GET", "/plus").target, "/" + m_bucket + "/plus%2Bsign");
    EXPECT_EQ(lastRequest("GET", "/hash").target, "/" + m_bucket + "/hash%23tag");
}

TEST_F(S3ClientTest, KeysOfWhiteSpaceAndLineEndsAreAddressedExactlyAsListed) {
    std::map<std::string, std::string> stored;
    for (const std::string key : {" ", "\t", "a\rb", "a\r\nb", " a", "a "}) {
        ASSERT_TRUE(put(key, "of " + key).IsSuccess()) << key;
        stored[key] = "of " + key;
    }
    // A copy source holding a CR travels percent-encoded, never raw.
    ASSERT_TRUE(copy("a\rb", "\r\n").IsSuccess());
    stored["\r\n"] = "of a\rb";
    std::vector<std::string> listed = keys();
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> expected;
    for (const auto& [key, content] : stored) expected.push_back(key);
    EXPECT_EQ(listed, expected);
    for (const std::string& key : listed) {
        SCOPED_TRACE(::testing::PrintToString(key));
        EXPECT_EQ(get(key), stored[key]);
        DeleteObjectRequest remove;
        remove.SetBucket(m_bucket);
        remove.SetKey(key);
        EXPECT_TRUE(m_client->DeleteObject(remove).IsSuccess());
    }
    EXPECT_TRUE(keys().empty());
}

template <typename Outcome>
std::string failureOf(const Outcome& outcome) {
    return outcome.IsSuccess() ? "succeeded" : outcome.GetError().GetMessage();
}

TEST_F(S3ClientTest, ControlCharactersInHeadersAndDotBucketsAreRefusedUnsent) {
    const std::string marker = uniqueName("aws-unsent");
    const auto inHeader = [](const std::string& name) {
        return "The request holds a control character in header " + name + "; it was not sent.";
    };
    const auto listMarker = [&](const S3Client& client) {
        ListObjectsV2Request request;
        request.SetBucket(marker);
        return failureOf(client.ListObjectsV2(request));
    };
    const auto getFrom = [&](const std::string& bucket) {
        return [&, bucket](const S3Client& client) {
            GetObjectRequest request;
            request.SetBucket(bucket);
            request.SetKey(marker);
            return failureOf(client.GetObject(request));
        };
    };
    const auto copyInto = [&](const std::string& bucket, const std::string& source) {
        return [&, bucket, source](const S3Client& client) {
            CopyObjectRequest request;
            request.SetBucket(bucket);
            request.SetKey(marker);
            request.SetCopySource(source);
            return failureOf(client.CopyObject(request));
        };
    };
    struct Row {
        std::string accessKey;
        std::string region;
        std::string sessionToken;
        std::string endpoint;  // AWS_ENDPOINT_URL_S3; empty: not set
        std::function<std::string(const S3Client&)> call;
        std::string message;
    };
    const std::string key = kAccessKey, eu = "eu-west-1", server = serverEndpoint();
    const std::string authorization = inHeader("Authorization");
    const auto putWithContentType = [&](const S3Client& client) {
        PutObjectRequest request;
        request.SetBucket(m_bucket);
        request.SetKey(marker);
        request.SetContentType("text/plain\r\nx-amz-acl: public-read");
        request.SetBody(Aws::MakeShared<std::stringstream>("test", "x"));
        return failureOf(client.PutObject(request));
    };
    const Row rows[] = {
        {"S3R\r\nVER", eu, "", server, listMarker, authorization},
        {std::string("S3\0RVER", 7), eu, "", server, listMarker, authorization},
        {"S3RVER\x1F", eu, "", server, listMarker, authorization},
        {"S3RVER\x7F", eu, "", server, listMarker, authorization},
        {key, "eu-west-1\r\nx-amz-date: 1", "", server, listMarker, authorization},
        {key, "eu-west-1\n", "", "", listMarker,
         "The region \"eu-west-1\n\" is not a valid region name."},
        {key, eu, "to\nken", server, listMarker, inHeader("x-amz-security-token")},
        {key, eu, "", server + "\r", listMarker, inHeader("Host")},
        {key, eu, "", server, putWithContentType, inHeader("Content-Type")},
        {key, eu, "", server, getFrom("."), "The bucket name \".\" is not valid."},
        {key, eu, "", server, getFrom(".."), "The bucket name \"..\" is not valid."},
        {key, eu, "", server, copyInto(".", m_bucket + "/k"),
         "The bucket name \".\" is not valid."},
        {key, eu, "", server, copyInto(m_bucket, "../" + marker),
         "The bucket name \"..\" is not valid."},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const Row& row = rows[i];
        if (row.endpoint.empty()) {
            unsetenv("AWS_ENDPOINT_URL_S3");
        } else {
            setenv("AWS_ENDPOINT_URL_S3", row.endpoint.c_str(), 1);
        }
        Aws::Client::ClientConfiguration configuration;
        configuration.region = row.region;
        const S3Client client(
            Aws::Auth::AWSCredentials(row.accessKey, kSecretKey, row.sessionToken), configuration,
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
        EXPECT_EQ(row.call(client), row.message);
    }
    useServerEndpoint();
    for (const RecordedRequest& request : recordedRequests()) {
        EXPECT_EQ(request.target.find(marker), std::string::npos) << request.target;
    }
}

TEST_F(S3ClientTest, CopyOfKeysWithSpecialCharacters) {
    for (const std::string key : {"a b.txt", "100%", "what?", "\xC3\xA9t\xC3\xA9/x"}) {
        ASSERT_TRUE(put(key, "data " + key).IsSuccess()) << key;
        const auto outcome = copy(key, "copy of " + key);
        ASSERT_TRUE(outcome.IsSuccess()) << key << ": " << outcome.GetError().GetMessage();
        EXPECT_FALSE(outcome.GetResult().GetETag().empty());
        EXPECT_EQ(get("copy of " + key), "data " + key);
    }
    EXPECT_EQ(lastRequest("PUT", "/copy%20of%20a%20b").headers.at("x-amz-copy-source"),
              m_bucket + "/a%20b.txt");
    // The server behind the front cannot copy from a key holding "+"; what
    // matters is the header as sent.
    ASSERT_TRUE(put("a+b", "plus").IsSuccess());
    copy("a+b", "dest");
    EXPECT_EQ(lastRequest("PUT", "/dest").headers.at("x-amz-copy-source"), m_bucket + "/a%2Bb");
}

TEST_F(S3ClientTest, DotSegmentsDoubleAndLeadingSlashesAreSentAsGiven) {
    for (const std::string key : {"a/../b", "a//b", "/lead", "./x"}) {
        put(key, "k");
        EXPECT_EQ(lastRequest("PUT", "/" + key).target, "/" + m_bucket + "/" + key);
    }
}

TEST_F(S3ClientTest, PagingThroughTwoAndAHalfThousandKeys) {
    std::set<std::string> expected;
    for (int i = 0; i < 2500; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "k/%05d", i);
        ASSERT_TRUE(put(key, "").IsSuccess()) << key;
        expected.insert(key);
    }
    std::set<std::string> seen;
    std::vector<std::size_t> pageSizes;
    std::optional<std::string> token;
    while (true) {
        const auto outcome = list([&](ListObjectsV2Request& request) {
            if (token) request.SetContinuationToken(*token);
        });
        ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
        const auto& result = outcome.GetResult();
        pageSizes.push_back(result.GetContents().size());
        for (const auto& object : result.GetContents()) {
            EXPECT_TRUE(seen.insert(object.GetKey()).second) << "listed twice: " << object.GetKey();
        }
        if (!result.GetIsTruncated()) break;
        ASSERT_FALSE(result.GetNextContinuationToken().empty());
        token = result.GetNextContinuationToken();
        ASSERT_LT(pageSizes.size(), 5u);
    }
    EXPECT_EQ(pageSizes, (std::vector<std::size_t>{1000, 1000, 500}));
    EXPECT_EQ(seen, expected);
    // The server's tokens are base64 text; "+", "/" and "=" must travel encoded.
    int continued = 0;
    for (const RecordedRequest& request : requestsFor(m_bucket)) {
        const std::size_t at = request.target.find("continuation-token=");
        if (request.target.rfind("/" + m_bucket + "?", 0) != 0 || at == std::string::npos) continue;
        ++continued;
        const std::string value = request.target.substr(at, request.target.find('&', at) - at);
        EXPECT_EQ(value.find_first_of("+/", 0), std::string::npos) << value;
        EXPECT_EQ(value.find('=', std::string("continuation-token=").size()), std::string::npos)
            << value;
    }
    EXPECT_EQ(continued, 2);
}

TEST_F(S3ClientTest, ContinuationTokenIsSentEncodedAndAnEmptyOneIsSentEmpty) {
    list([](ListObjectsV2Request& request) { request.SetContinuationToken("ab+/c=="); });
    const RecordedRequest withToken = lastRequest("GET", "?continuation-token=ab");
    EXPECT_EQ(withToken.target,
              "/" + m_bucket + "?continuation-token=ab%2B%2Fc%3D%3D&list-type=2&max-keys=1000");

    const auto outcome = list([](ListObjectsV2Request& request) {
        request.SetContinuationToken("");
        request.SetPrefix("p q/");
        request.SetDelimiter("/");
    });
    EXPECT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(lastRequest("GET", "?continuation-token=&").target,
              "/" + m_bucket +
                  "?continuation-token=&delimiter=%2F&list-type=2&max-keys=1000&prefix=p%20q%2F");

    list();
    EXPECT_EQ(lastRequest("GET", "?list-type=2").target,
              "/" + m_bucket + "?list-type=2&max-keys=1000");
}

TEST_F(S3ClientTest, ListingReadsObjectFieldsAndGroupsByDelimiter) {
    ASSERT_TRUE(put("top.txt", "12345").IsSuccess());
    ASSERT_TRUE(put("dir/inner.txt", "x").IsSuccess());
    const auto outcome = list([](ListObjectsV2Request& request) { request.SetDelimiter("/"); });
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    const auto& result = outcome.GetResult();
    ASSERT_EQ(result.GetContents().size(), 1u);
    const Object& object = result.GetContents()[0];
    EXPECT_EQ(object.GetKey(), "top.txt");
    EXPECT_EQ(object.GetSize(), 5);
    EXPECT_EQ(object.GetETag(), "\"827ccb0eea8a706c4c34a16891f84e7b\"");  // MD5 of "12345"
    EXPECT_EQ(object.GetStorageClass(), ObjectStorageClass::STANDARD);
    const auto age =
        std::chrono::system_clock::now() - object.GetLastModified().UnderlyingTimestamp();
    EXPECT_LT(std::chrono::abs(age), std::chrono::minutes(5));
    ASSERT_EQ(result.GetCommonPrefixes().size(), 1u);
    EXPECT_EQ(result.GetCommonPrefixes()[0].GetPrefix(), "dir/");
    EXPECT_FALSE(result.GetIsTruncated());
}

TEST_F(S3ClientTest, LargeObjectRoundTripsThroughTheSpillFile) {
    std::string content(9u << 20, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 7) >> 3);
    const auto outcome = put("big.bin", content);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_TRUE(get("big.bin") == content);
}

TEST_F(S3ClientTest, UploadFromAFileStreamSignsItsHashOverHttp) {
    TempDir dir;
    const std::string path = dir.path() + "/upload.bin";
    { std::ofstream(path, std::ios::binary) << "file body"; }
    PutObjectRequest request;
    request.SetBucket(m_bucket);
    request.SetKey("from-file");
    request.SetBody(Aws::MakeShared<Aws::FStream>("test", path.c_str(),
                                                  std::ios_base::in | std::ios_base::binary));
    const auto outcome = m_client->PutObject(request);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(get("from-file"), "file body");
    const RecordedRequest sent = lastRequest("PUT", "/from-file");
    // SHA-256 of "file body".
    EXPECT_EQ(sent.headers.at("x-amz-content-sha256"),
              "15e470ec647ae0e6734ec2a397d8be444063aebab70fb6775c1a1e5f042b0ae6");
    EXPECT_EQ(sent.headers.at("content-length"), "9");
    EXPECT_EQ(sent.headers.at("content-type"), "binary/octet-stream");
    EXPECT_EQ(sent.headers.count("user-agent"), 1u);
    EXPECT_EQ(sent.headers.at("authorization").find("user-agent"), std::string::npos);
}

TEST_F(S3ClientTest, EmptyObjectRoundTripsAndADeletedObjectIsGone) {
    ASSERT_TRUE(put("empty", "").IsSuccess());
    EXPECT_EQ(get("empty"), "");
    DeleteObjectRequest remove;
    remove.SetBucket(m_bucket);
    remove.SetKey("empty");
    const auto outcome = m_client->DeleteObject(remove);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_TRUE(keys().empty());
}

TEST_F(S3ClientTest, ServiceErrorsCarryTheServersMessage) {
    EXPECT_EQ(get("missing"), "FAILED: The specified key does not exist.");
    EXPECT_EQ(get("k", uniqueName("aws-nobucket")), "FAILED: The specified bucket does not exist");

    ASSERT_TRUE(put("keep", "x").IsSuccess());
    DeleteBucketRequest remove;
    remove.SetBucket(m_bucket);
    const auto outcome = m_client->DeleteBucket(remove);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetExceptionName(), "BucketNotEmpty");
    // The server's own wording, typo included.
    EXPECT_EQ(outcome.GetError().GetMessage(), "The bucket your tried to delete is not empty");
}

TEST_F(S3ClientTest, WrongSecretIsRefusedWithTheServersMessage) {
    const auto client = makeClient("not-the-secret");
    const auto outcome = client->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetExceptionName(), "SignatureDoesNotMatch");
    EXPECT_FALSE(outcome.GetError().GetMessage().empty());
    EXPECT_EQ(outcome.GetError().GetMessage().find("not-the-secret"), std::string::npos);
}

}  // namespace
}  // namespace skrw::test
