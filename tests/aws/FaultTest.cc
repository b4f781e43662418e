// Faults injected by a scripted HTTP server: transport failures, truncated
// bodies, retries with back-off, clock skew, redirects and slow links.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <cstdlib>
#include <sstream>

#include "FaultServer.h"
#include "TlsServer.h"

namespace skrw::test {
namespace {

using namespace Aws::S3;
using namespace std::chrono_literals;

constexpr const char* kListBucketsBody =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ListAllMyBucketsResult><Buckets><Bucket><Name>"
    "only</Name></Bucket></Buckets></ListAllMyBucketsResult>";

std::string errorBody(const std::string& code, const std::string& message) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Error><Code>" + code + "</Code><Message>" +
           message + "</Message><RequestId>r</RequestId></Error>";
}

std::string sha256Hex(const std::string& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : digest) {
        hex.push_back(kDigits[c >> 4]);
        hex.push_back(kDigits[c & 15]);
    }
    return hex;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI(m_options);
        setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
        unsetenv("AWS_ENDPOINT_URL");
    }
    void TearDown() override { Aws::ShutdownAPI(m_options); }

    // A client aimed at the given endpoint (set through the environment, as
    // the layer reads it).
    std::unique_ptr<S3Client> clientFor(const std::string& endpoint,
                                        Aws::Client::ClientConfiguration configuration = {}) {
        setenv("AWS_ENDPOINT_URL_S3", endpoint.c_str(), 1);
        return std::make_unique<S3Client>(
            Aws::Auth::AWSCredentials("AKID", "SECRET"), configuration,
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    }

    Model::GetObjectOutcome download(S3Client& client) {
        Model::GetObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("key");
        return client.GetObject(request);
    }

    static std::string bodyOf(Model::GetObjectOutcome& outcome) {
        std::ostringstream out;
        out << outcome.GetResult().GetBody().rdbuf();
        return out.str();
    }

    Aws::SDKOptions m_options;
};

TEST_F(FaultTest, ClosedPortIsATransportFailureWithCurlsDescription) {
    auto client = clientFor("http://127.0.0.1:" + std::to_string(closedPort()));
    const auto outcome = client->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    const std::string& message = outcome.GetError().GetMessage();
    EXPECT_TRUE(startsWith(message, "Unable to connect to endpoint: ")) << message;
    EXPECT_GT(message.size(), std::string("Unable to connect to endpoint: ").size());
    EXPECT_EQ(message.find("SECRET"), std::string::npos);
    EXPECT_EQ(outcome.GetError().GetErrorType(), S3Errors::NETWORK_CONNECTION);
}

TEST_F(FaultTest, CertificateFailureIsReportedAndNeverRetried) {
    TlsServer server;
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    const std::string& message = outcome.GetError().GetMessage();
    EXPECT_TRUE(startsWith(message, "Unable to connect to endpoint: ")) << message;
    EXPECT_NE(message.find("certificate"), std::string::npos) << message;
    EXPECT_FALSE(outcome.GetError().ShouldRetry());
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(FaultTest, RegionThatCannotFormAHostNameIsRefusedWithoutARequest) {
    unsetenv("AWS_ENDPOINT_URL_S3");
    Aws::Client::ClientConfiguration configuration;
    configuration.region = "evil.example/x";
    S3Client client(Aws::Auth::AWSCredentials("AKID", "SECRET"), configuration,
                    Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    const auto outcome = client.ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(),
              "The region \"evil.example/x\" is not a valid region name.");
}

TEST_F(FaultTest, ConnectionResetMidBodyIsRetriedThenReported) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" +
                        std::string(1000, 'x'));
        connection.pause(50ms);
        connection.reset();
    });
    auto client = clientFor(server.endpoint());
    auto outcome = download(*client);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_TRUE(startsWith(outcome.GetError().GetMessage(), "Unable to connect to endpoint: "))
        << outcome.GetError().GetMessage();
    EXPECT_EQ(server.requests().size(), 11u);  // the first attempt and ten retries
}

TEST_F(FaultTest, ShortBodyIsRetriedAndTheFullBodyWins) {
    const std::string object(300'000, 'o');
    FaultServer server([&](int index, const ReceivedRequest&, FaultConnection& connection) {
        if (index == 0) {
            connection.send(
                "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\nConnection: close\r\n\r\n" +
                object.substr(0, 1000));
        } else {
            connection.respond(200, object);
        }
    });
    auto client = clientFor(server.endpoint());
    auto outcome = download(*client);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(bodyOf(outcome), object);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(FaultTest, BodyAlwaysShorterThanItsLengthFails) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n" +
                        std::string(10, 'x'));
    });
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = 2;
    auto client = clientFor(server.endpoint(), configuration);
    auto outcome = download(*client);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_TRUE(startsWith(outcome.GetError().GetMessage(), "Unable to connect to endpoint: "));
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(FaultTest, UnavailableTwiceThenSuccessResendsTheWholeUploadWithGrowingDelays) {
    setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "40", 1);
    FaultServer server([](int index, const ReceivedRequest&, FaultConnection& connection) {
        if (index < 2) {
            connection.respond(503, errorBody("SlowDown", "Please reduce your request rate."));
        } else {
            connection.respond(200, "", {"ETag: \"e\""});
        }
    });
    std::string content(3'000'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    auto body = Aws::MakeShared<std::stringstream>("test", content);
    body->seekg(0);
    auto client = clientFor(server.endpoint());
    Model::PutObjectRequest request;
    request.SetBucket("bucket");
    request.SetKey("big object");
    request.SetBody(body);
    const auto outcome = client->PutObject(request);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(outcome.GetResult().GetETag(), "\"e\"");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& received : requests) {
        EXPECT_EQ(received.body, content);
        // Plain HTTP: the body's own hash is signed.
        EXPECT_EQ(received.headers.at("x-amz-content-sha256"), sha256Hex(content));
        EXPECT_EQ(received.headers.at("content-type"), "binary/octet-stream");
        EXPECT_EQ(received.target, "/bucket/big%20object");
    }
    // Back-off of 40 ms, then 80 ms (lower bounds only).
    EXPECT_GE(requests[1].arrived - requests[0].arrived, 40ms);
    EXPECT_GE(requests[2].arrived - requests[1].arrived, 80ms);
    // Every attempt is signed afresh.
    EXPECT_NE(requests[0].headers.at("authorization"), "");
}

TEST_F(FaultTest, UploadFromAStreamThatDidNotOpenSendsNothing) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(200, "");
    });
    auto client = clientFor(server.endpoint());
    Model::PutObjectRequest request;
    request.SetBucket("bucket");
    request.SetKey("key");
    request.SetBody(Aws::MakeShared<Aws::FStream>("test", "/nonexistent/skrw/file",
                                                  std::ios_base::in | std::ios_base::binary));
    const auto outcome = client->PutObject(request);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "The upload body could not be read.");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FaultTest, CopyAnsweredOkWithAnErrorDocumentIsAFailure) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(200, errorBody("AccessDenied", "Access Denied late"));
    });
    auto client = clientFor(server.endpoint());
    Model::CopyObjectRequest request;
    request.SetBucket("dest");
    request.SetKey("k");
    request.SetCopySource("src/a b.txt");
    const auto outcome = client->CopyObject(request);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "Access Denied late");
    EXPECT_EQ(outcome.GetError().GetExceptionName(), "AccessDenied");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].headers.at("x-amz-copy-source"), "src/a%20b.txt");
}

TEST_F(FaultTest, CopyAnsweredOkWithInternalErrorIsRetried) {
    FaultServer server([](int index, const ReceivedRequest&, FaultConnection& connection) {
        if (index == 0) {
            connection.respond(200,
                               errorBody("InternalError", "We encountered an internal error."));
        } else {
            connection.respond(200, "<CopyObjectResult><ETag>\"c\"</ETag></CopyObjectResult>");
        }
    });
    auto client = clientFor(server.endpoint());
    Model::CopyObjectRequest request;
    request.SetBucket("dest");
    request.SetKey("k");
    request.SetCopySource("src/k");
    const auto outcome = client->CopyObject(request);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(outcome.GetResult().GetETag(), "\"c\"");
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(FaultTest, ErrorStatusWithoutBodySaysSoAndClientErrorsAreNotRetried) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(404, "");
    });
    auto client = clientFor(server.endpoint());
    auto outcome = download(*client);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "No response body.");
    EXPECT_EQ(outcome.GetError().GetResponseCode(), Aws::Http::HttpResponseCode::NOT_FOUND);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(FaultTest, ServerErrorWithoutBodyIsRetried) {
    FaultServer server([](int index, const ReceivedRequest&, FaultConnection& connection) {
        if (index == 0) {
            connection.respond(500, "");
        } else {
            connection.respond(200, kListBucketsBody);
        }
    });
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    ASSERT_EQ(outcome.GetResult().GetBuckets().size(), 1u);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(FaultTest, ClockSkewIsLearntFromTheDateHeaderAndTheRetrySucceeds) {
    const auto serverOffset = 20min;
    FaultServer server([&](int, const ReceivedRequest& request, FaultConnection& connection) {
        const auto serverNow = std::chrono::system_clock::now() + serverOffset;
        std::tm tm{};
        const std::string amzDate = request.headers.at("x-amz-date");
        strptime(amzDate.c_str(), "%Y%m%dT%H%M%SZ", &tm);
        const auto signedAt = std::chrono::system_clock::from_time_t(timegm(&tm));
        const auto skew = serverNow > signedAt ? serverNow - signedAt : signedAt - serverNow;
        if (skew > 15min) {
            connection.respond(403,
                               errorBody("RequestTimeTooSkewed",
                                         "The difference between the request time and the "
                                         "current time is too large."),
                               {"Date: " + httpDate(serverNow)});
        } else {
            connection.respond(200, kListBucketsBody, {"Date: " + httpDate(serverNow)});
        }
    });
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(FaultTest, RedirectIsNotFollowed) {
    FaultServer elsewhere([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(200, kListBucketsBody);
    });
    FaultServer server([&](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(307,
                           errorBody("TemporaryRedirect",
                                     "Please re-send this request to the specified temporary "
                                     "endpoint."),
                           {"Location: " + elsewhere.endpoint() + "/"});
    });
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(),
              "Please re-send this request to the specified temporary endpoint.");
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(elsewhere.requests().empty());
}

TEST_F(FaultTest, UnparseableSuccessBodyIsAFailureWithAClearMessage) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(200, "<html>proxy login</html");
    });
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_TRUE(
        startsWith(outcome.GetError().GetMessage(), "The service's answer could not be read: "))
        << outcome.GetError().GetMessage();
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(FaultTest, OversizedListingIsRefused) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.respond(200, std::string(17u << 20, ' '));
    });
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_TRUE(
        startsWith(outcome.GetError().GetMessage(), "The service's answer could not be read: "))
        << outcome.GetError().GetMessage();
}

TEST_F(FaultTest, SlowButSteadyTransferSucceeds) {
    const std::string object(384, 't');
    FaultServer server([&](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 384\r\nConnection: close\r\n\r\n");
        for (std::size_t at = 0; at < object.size(); at += 64) {
            connection.send(object.substr(at, 64));
            if (at + 64 < object.size()) connection.pause(2s);
        }
    });
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = 0;
    auto client = clientFor(server.endpoint(), configuration);
    const auto started = std::chrono::steady_clock::now();
    auto outcome = download(*client);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(bodyOf(outcome), object);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 10s);
}

TEST_F(FaultTest, FiveSecondStallIsAbandoned) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + std::string(10, 's'));
        connection.pause(5s);
        connection.send(std::string(10, 's'));
    });
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = 0;
    auto client = clientFor(server.endpoint(), configuration);
    auto outcome = download(*client);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_TRUE(startsWith(outcome.GetError().GetMessage(), "Unable to connect to endpoint: "))
        << outcome.GetError().GetMessage();
}

TEST_F(FaultTest, TrickleBelowOneBytePerSecondIsAbandoned) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        for (int i = 0; i < 14; ++i) {
            connection.send("x");
            connection.pause(1500ms);
        }
    });
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = 0;
    auto client = clientFor(server.endpoint(), configuration);
    auto outcome = download(*client);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_TRUE(startsWith(outcome.GetError().GetMessage(), "Unable to connect to endpoint: "));
}

TEST_F(FaultTest, SilentServerIsAbandonedBeforeAnyAnswer) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.waitForClientClose(30s);
    });
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = 0;
    auto client = clientFor(server.endpoint(), configuration);
    const auto started = std::chrono::steady_clock::now();
    auto outcome = download(*client);
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(),
              "Unable to connect to endpoint: Operation too slow. Less than 1 bytes/sec "
              "transferred the last 3 seconds");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 25s);
}

TEST_F(FaultTest, ServerStoringAWholeUploadIsGivenTimeToAnswer) {
    FaultServer server([](int, const ReceivedRequest&, FaultConnection& connection) {
        connection.pause(5s);
        connection.respond(200, "", {"ETag: \"stored\""});
    });
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = 0;
    auto client = clientFor(server.endpoint(), configuration);
    Model::PutObjectRequest request;
    request.SetBucket("bucket");
    request.SetKey("key");
    request.SetBody(Aws::MakeShared<std::stringstream>("test", std::string(100'000, 'u')));
    const auto outcome = client->PutObject(request);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(outcome.GetResult().GetETag(), "\"stored\"");
}

}  // namespace
}  // namespace skrw::test
