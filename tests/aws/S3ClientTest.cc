// The S3 layer against the local S3 server, whose front refuses any request whose signature or
// body hash does not verify: keys reach their objects byte-exact, whatever they hold. What the
// storage operations make of it is tested with them (tests/storage).
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <sstream>

#include "TestServer.h"

namespace skrw::test {
namespace {

using namespace Aws::S3;
using namespace Aws::S3::Model;

std::unique_ptr<S3Client> makeClient() {
    Aws::Client::ClientConfiguration configuration;
    configuration.region = "eu-west-1";
    return std::make_unique<S3Client>(
        Aws::Auth::AWSCredentials(kAccessKey, kSecretKey), configuration,
        Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
}

template <typename Outcome>
std::string failureOf(const Outcome& outcome) {
    return outcome.IsSuccess() ? "succeeded" : outcome.GetError().GetMessage();
}

class S3ClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI(m_options);
        useServerEndpoint();
        m_client = makeClient();
        CreateBucketRequest create;
        create.SetBucket(m_bucket);
        ASSERT_EQ(failureOf(m_client->CreateBucket(create)), "succeeded");
    }
    void TearDown() override {
        m_client.reset();
        Aws::ShutdownAPI(m_options);
    }

    std::string put(const std::string& key, std::shared_ptr<Aws::IOStream> body) {
        PutObjectRequest request;
        request.SetBucket(m_bucket);
        request.SetKey(key);
        request.SetBody(std::move(body));
        return failureOf(m_client->PutObject(request));
    }
    std::string get(const std::string& key) {
        GetObjectRequest request;
        request.SetBucket(m_bucket);
        request.SetKey(key);
        auto outcome = m_client->GetObject(request);
        std::ostringstream out;
        if (outcome.IsSuccess()) out << outcome.GetResult().GetBody().rdbuf();
        return out.str();
    }
    std::vector<std::string> keys() {
        ListObjectsV2Request request;
        request.SetBucket(m_bucket);
        const auto outcome = m_client->ListObjectsV2(request);
        std::vector<std::string> out;
        for (const auto& object : outcome.GetResult().GetContents()) {
            out.push_back(object.GetKey());
        }
        return out;
    }
    // The raw targets of this test's requests, "<method> <target>".
    std::vector<std::string> targets() {
        std::vector<std::string> out;
        for (const RecordedRequest& r : requestsFor(m_bucket))
            out.push_back(r.method + " " + r.target);
        return out;
    }

    Aws::SDKOptions m_options;
    std::string m_bucket = uniqueName("aws-layer");
    std::unique_ptr<S3Client> m_client;
};

TEST_F(S3ClientTest, KeysAreStoredListedReadCopiedAndDeletedByteExact) {
    std::string large(9u << 20, '\0');  // beyond the bound of a body held in memory
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 7) >> 3);
    const std::pair<std::string, std::string> rows[] = {
        {"plus+sign", "/plus%2Bsign"},
        {"hash#tag", "/hash%23tag"},
        {"what?", "/what%3F"},
        {"100%", "/100%25"},
        {"\xC3\xA9t\xC3\xA9/x", "/%C3%A9t%C3%A9/x"},
        {" ", "/%20"},
        {"\t", "/%09"},
        {"a\r\nb", "/a%0D%0Ab"},
        {"a ", "/a%20"},
        {"empty", "/empty"},
        {"large", "/large"},
    };
    std::vector<std::string> expected;
    for (const auto& [key, target] : rows) {
        SCOPED_TRACE(::testing::PrintToString(key));
        const std::string content = key == "large" ? large : key == "empty" ? "" : "of " + key;
        EXPECT_EQ(put(key, Aws::MakeShared<std::stringstream>("t", content)), "succeeded");
        EXPECT_EQ(targets().back(), "PUT /" + m_bucket + target);
        EXPECT_TRUE(get(key) == content);
        CopyObjectRequest copy;  // a copy source travels percent-encoded, never raw
        copy.SetBucket(m_bucket);
        copy.SetKey("copy");
        copy.SetCopySource(m_bucket + "/" + key);
        EXPECT_EQ(failureOf(m_client->CopyObject(copy)), "succeeded");
        EXPECT_EQ(requestsFor(m_bucket).back().headers.at("x-amz-copy-source"), m_bucket + target);
        EXPECT_TRUE(get("copy") == content);
        expected.push_back(key);
    }
    expected.push_back("copy");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys(), expected);
    for (const std::string& key : expected) {
        DeleteObjectRequest remove;
        remove.SetBucket(m_bucket);
        remove.SetKey(key);
        EXPECT_EQ(failureOf(m_client->DeleteObject(remove)), "succeeded");
    }
    EXPECT_TRUE(keys().empty());
    // Dot segments and doubled or leading slashes are part of the key: sent as given, never
    // resolved (whether the server can store them is its affair).
    for (const std::string key : {"a/../b", "a//b", "/lead", "./x"}) {
        put(key, Aws::MakeShared<std::stringstream>("t", "k"));
        EXPECT_EQ(targets().back(), "PUT /" + m_bucket + "/" + key);
    }
}

}  // namespace
}  // namespace skrw::test
