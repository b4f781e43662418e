// The S3 layer against the local S3 server, whose front refuses any request whose signature or
// body hash does not verify: keys reach their objects byte-exact, whatever they hold.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <sstream>

#include "TestServer.h"

namespace skrw::test {
namespace {

using namespace Aws::S3::Model;

template <typename Outcome>
std::string failureOf(const Outcome& outcome) {
    return outcome.IsSuccess() ? "succeeded" : outcome.GetError().GetMessage();
}

TEST(S3ClientTest, KeysAreStoredListedAndReadByteExact) {
    Aws::InitAPI({});
    useServerEndpoint();
    Aws::Client::ClientConfiguration configuration;
    configuration.region = "eu-west-1";
    Aws::S3::S3Client client(Aws::Auth::AWSCredentials(kAccessKey, kSecretKey), configuration,
                             Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    const std::string bucket = uniqueName("aws-layer");
    CreateBucketRequest create;
    create.SetBucket(bucket);
    ASSERT_EQ(failureOf(client.CreateBucket(create)), "succeeded");
    const auto get = [&](const std::string& key) {
        GetObjectRequest request;
        request.SetBucket(bucket);
        request.SetKey(key);
        auto outcome = client.GetObject(request);
        std::ostringstream out;
        if (outcome.IsSuccess()) out << outcome.GetResult().GetBody().rdbuf();
        return out.str();
    };
    const auto keys = [&] {
        ListObjectsV2Request request;
        request.SetBucket(bucket);
        const auto outcome = client.ListObjectsV2(request);
        std::vector<std::string> out;
        for (const auto& object : outcome.GetResult().GetContents()) out.push_back(object.GetKey());
        return out;
    };
    std::string large(9u << 20, '\0');  // beyond the bound of a body held in memory
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 7) >> 3);
    const std::pair<std::string, std::string> rows[] = {
        {"+#?%\xC3\xA9/x", "/%2B%23%3F%25%C3%A9/x"},
        {" ", "/%20"},
        {"\t", "/%09"},
        {"a\r\nb ", "/a%0D%0Ab%20"},
        {"empty", "/empty"},
        {"large", "/large"},
    };
    std::vector<std::string> expected;
    for (const auto& [key, target] : rows) {
        SCOPED_TRACE(::testing::PrintToString(key));
        const std::string content = key == "large" ? large : key == "empty" ? "" : "of " + key;
        PutObjectRequest put;
        put.SetBucket(bucket);
        put.SetKey(key);
        put.SetBody(Aws::MakeShared<std::stringstream>("", content));
        EXPECT_EQ(failureOf(client.PutObject(put)), "succeeded");
        EXPECT_EQ(requestsFor(bucket).back().target, "/" + bucket + target);
        EXPECT_TRUE(get(key) == content);
        expected.push_back(key);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys(), expected);
    // Sent as given, never resolved, whether or not the server can store them.
    for (const std::string key : {"a/../b", "./x", "a//b", "/lead"}) {
        PutObjectRequest put;
        put.SetBucket(bucket);
        put.SetKey(key);
        client.PutObject(put);
        EXPECT_EQ(requestsFor(bucket).back().target, "/" + bucket + "/" + key);
    }
    Aws::ShutdownAPI({});
}

}  // namespace
}  // namespace skrw::test
