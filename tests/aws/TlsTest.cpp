// What the S3 layer trusts and speaks: HTTPS against a certificate authority named by
// AWS_CA_BUNDLE, certificates bound to the endpoint's name, the payload hash by scheme, and no
// scheme but http and https.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <sstream>

#include "FaultServer.h"
#include "TestCertificates.h"
#include "TestEnv.h"
#include "TestServer.h"
#include "Transport.h"

namespace skrw::test {
namespace {

using namespace Aws::S3;

const std::string kTransport = "Unable to connect to endpoint: ";

void acceptWithETag(int, const ReceivedRequest&, FaultConnection& c) {
    c.respond(200, "", {"ETag: \"tag\""});
}

class TlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI({});
        m_authority.writeBundle(m_bundle);
    }
    void TearDown() override { Aws::ShutdownAPI({}); }

    // A client made while AWS_CA_BUNDLE names the test authority alone.
    std::unique_ptr<S3Client> clientFor(const std::string& endpoint) const {
        ScopedEnv url("AWS_ENDPOINT_URL_S3", endpoint);
        ScopedEnv bundle("AWS_CA_BUNDLE", m_bundle);
        Aws::Client::ClientConfiguration configuration;
        configuration.maxRetries = 2;
        configuration.region = "us-east-1";
        return std::make_unique<S3Client>(
            Aws::Auth::AWSCredentials("AKID", "SECRET"), configuration,
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    }

    // "OK <ETag>", or "[<retries>] <message>" marked when a retry might mend it.
    std::string upload(const std::string& endpoint, const std::string& content) const {
        Model::PutObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("key");
        request.SetBody(Aws::MakeShared<std::stringstream>("", content));
        const auto outcome = clientFor(endpoint)->PutObject(request);
        if (outcome.IsSuccess()) return "OK " + outcome.GetResult().GetETag();
        const auto& error = outcome.GetError();
        return "[" + std::to_string(error.GetRetryCount()) + "] " + error.GetMessage() +
               (error.ShouldRetry() ? " (retryable)" : "");
    }

    TempDir m_folder;
    std::string m_bundle = m_folder.path() + "/authority.pem";
    TestAuthority m_authority;
};

TEST_F(TlsTest, TheAuthoritysCertificateServesOnlyTheNameItCarries) {
    const struct {
        const char* subjectAltName;
        std::string expected;  // the summary's start
        std::size_t requests;
    } rows[] = {
        {"IP:127.0.0.1", "OK \"tag\"", 1},
        {"IP:127.0.0.2", "[0] " + kTransport, 0},
        {"DNS:s3.wrong.example", "[0] " + kTransport, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.subjectAltName);
        FaultServer server(acceptWithETag,
                           {.tls = true, .identity = m_authority.issue(row.subjectAltName)});
        const std::string got = upload(server.endpoint(), "payload");
        EXPECT_TRUE(got.starts_with(row.expected)) << got;
        if (row.requests == 0) {
            EXPECT_NE(got.find("subject name"), std::string::npos) << got;
            EXPECT_EQ(got.find("retryable"), std::string::npos) << got;
        }
        EXPECT_EQ(server.requests().size(), row.requests);
    }
}

TEST_F(TlsTest, TheBodyIsHashedOverHttpAndLeftUnsignedOverHttps) {
    const struct {
        FaultOptions options;
        std::string payloadHash;
    } rows[] = {
        {{}, "239f59ed55e737c77147cf55ad0c1b030b6d7ee748a7426952f9b852d5a935e5"},
        {{.tls = true, .identity = m_authority.issue("IP:127.0.0.1")}, "UNSIGNED-PAYLOAD"},
    };
    for (const auto& row : rows) {
        FaultServer server(acceptWithETag, row.options);
        SCOPED_TRACE(server.endpoint());
        EXPECT_EQ(upload(server.endpoint(), "payload"), "OK \"tag\"");
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].headers.at("x-amz-content-sha256"), row.payloadHash);
        EXPECT_EQ(requests[0].body, "payload");
    }
}

TEST_F(TlsTest, NoSchemeButHttpAndHttpsIsSpoken) {
    writeFile(m_folder.path() + "/local.txt", "local");
    FaultServer listener([](int, auto&, FaultConnection& c) { c.respond(200, ""); });
    const std::string address = listener.endpoint().substr(std::string("http://").size());
    for (const std::string& url :
         {"file://" + m_folder.path() + "/local.txt", "ftp://" + address + "/x"}) {
        SCOPED_TRACE(url);
        aws::HttpRequest request;
        request.method = "GET";
        request.url = url;
        const aws::HttpResponse response = aws::Transport().perform(request, {});
        EXPECT_TRUE(response.transportFailed && !response.retryable);
        EXPECT_NE(response.transportMessage.find("not supported or disabled"), std::string::npos)
            << response.transportMessage;
        EXPECT_EQ(response.body.size(), 0u);
    }
    EXPECT_TRUE(listener.requests().empty());
}

}  // namespace
}  // namespace skrw::test
