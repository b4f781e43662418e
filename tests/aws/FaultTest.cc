// Faults injected by a scripted HTTP server: transport failures, truncated
// bodies, retries with back-off, clock skew, redirects and slow links.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "Crypto.h"
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

const std::string kTransportFailure = "Unable to connect to endpoint: ";
const std::string kUnreadable = "The service's answer could not be read: ";

template <typename Outcome>
void expectFailureStartingWith(const Outcome& outcome, const std::string& prefix) {
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage().rfind(prefix, 0), 0u)
        << outcome.GetError().GetMessage();
}

Aws::Client::ClientConfiguration withRetries(int maxRetries) {
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = maxRetries;
    return configuration;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI(m_options);
        setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
        unsetenv("AWS_ENDPOINT_URL");
        unsetenv("SKRW_AWS_HEAD_TIMEOUT_MS");
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

    static Model::GetObjectOutcome download(S3Client& client) {
        Model::GetObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("key");
        return client.GetObject(request);
    }

    static Model::PutObjectOutcome upload(S3Client& client, const std::string& key,
                                          std::shared_ptr<Aws::IOStream> body) {
        Model::PutObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey(key);
        request.SetBody(std::move(body));
        return client.PutObject(request);
    }

    static Model::CopyObjectOutcome copy(S3Client& client, const std::string& source) {
        Model::CopyObjectRequest request;
        request.SetBucket("dest");
        request.SetKey("k");
        request.SetCopySource(source);
        return client.CopyObject(request);
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
    expectFailureStartingWith(outcome, kTransportFailure);
    const std::string& message = outcome.GetError().GetMessage();
    EXPECT_GT(message.size(), kTransportFailure.size());
    EXPECT_EQ(message.find("SECRET"), std::string::npos);
    EXPECT_EQ(outcome.GetError().GetErrorType(), S3Errors::NETWORK_CONNECTION);
}

TEST_F(FaultTest, CertificateFailureIsReportedAndNeverRetried) {
    TlsServer server;
    auto client = clientFor(server.endpoint());
    const auto outcome = client->ListBuckets();
    expectFailureStartingWith(outcome, kTransportFailure);
    EXPECT_NE(outcome.GetError().GetMessage().find("certificate"), std::string::npos)
        << outcome.GetError().GetMessage();
    EXPECT_FALSE(outcome.GetError().ShouldRetry());
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(FaultTest, RequestCurlCannotMakeIsReportedAndNeverRetried) {
    // A megabyte key makes a request line larger than curl will build.
    FaultServer server([](int, auto&, auto& c) { c.respond(200, ""); });
    auto client = clientFor(server.endpoint());
    const auto outcome =
        upload(*client, std::string(1u << 20, 'k'), std::make_shared<std::stringstream>("body"));
    expectFailureStartingWith(outcome, kTransportFailure);
    EXPECT_GT(outcome.GetError().GetMessage().size(), kTransportFailure.size());
    EXPECT_FALSE(outcome.GetError().ShouldRetry());
    EXPECT_TRUE(server.requests().empty());
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
    FaultServer server([](int, auto&, auto& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'x'));
        c.pause(50ms);
        c.reset();
    });
    auto client = clientFor(server.endpoint());
    expectFailureStartingWith(download(*client), kTransportFailure);
    EXPECT_EQ(server.requests().size(), 11u);  // the first attempt and ten retries
}

TEST_F(FaultTest, ShortBodyIsRetriedAndFailsWhenItStaysShort) {
    const std::string object(300'000, 'o');
    FaultServer once([&](int index, auto&, auto& c) {
        if (index > 0) return c.respond(200, object);
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 300000\r\nConnection: close\r\n\r\n" +
               object.substr(0, 1000));
    });
    auto client = clientFor(once.endpoint());
    auto outcome = download(*client);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(bodyOf(outcome), object);
    EXPECT_EQ(once.requests().size(), 2u);

    FaultServer always([](int, auto&, auto& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n" +
               std::string(10, 'x'));
    });
    expectFailureStartingWith(download(*clientFor(always.endpoint(), withRetries(2))),
                              kTransportFailure);
    EXPECT_EQ(always.requests().size(), 3u);
}

// A stream that notes when it is made and deleted.
class NotedStream : public std::stringstream {
  public:
    NotedStream(std::vector<std::string>& notes, int number) : m_notes(notes), m_number(number) {
        m_notes.push_back("make " + std::to_string(number));
    }
    ~NotedStream() override { m_notes.push_back("delete " + std::to_string(m_number)); }

  private:
    std::vector<std::string>& m_notes;
    int m_number;
};

TEST_F(FaultTest, ResponseStreamFactoryStartsEveryAttemptAfreshAndOwnsTheStreams) {
    const std::string object(300'000, 'o');
    FaultServer server([&](int index, auto&, auto& c) {
        if (index == 0) return c.respond(503, errorBody("SlowDown", "later"));
        if (index == 2) return c.respond(200, object);
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 300000\r\nConnection: close\r\n\r\n" +
               object.substr(0, 1000));
    });
    std::vector<std::string> notes;
    int made = 0;
    Model::GetObjectRequest request;
    request.SetBucket("bucket");
    request.SetKey("key");
    request.SetResponseStreamFactory([&] { return new NotedStream(notes, made++); });
    {
        auto outcome = clientFor(server.endpoint())->GetObject(request);
        ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
        // The error answer asked for no stream; the cut attempt's stream went first.
        EXPECT_EQ(notes, (std::vector<std::string>{"make 0", "delete 0", "make 1"}));
        auto& body = dynamic_cast<NotedStream&>(outcome.GetResult().GetBody());
        EXPECT_EQ(body.str(), object);
        EXPECT_EQ(outcome.GetResult().GetContentLength(), 300'000);
    }
    EXPECT_EQ(notes.back(), "delete 1");

    // No stream, or a stream that refuses writes, fails at once.
    FaultServer ok([&](int, auto&, auto& c) { c.respond(200, object); });
    for (const bool refuse : {false, true}) {
        request.SetResponseStreamFactory([refuse]() -> Aws::IOStream* {
            if (!refuse) return nullptr;
            auto* stream = new std::stringstream;
            stream->setstate(std::ios_base::badbit);
            return stream;
        });
        const auto outcome = clientFor(ok.endpoint())->GetObject(request);
        ASSERT_FALSE(outcome.IsSuccess());
        EXPECT_EQ(outcome.GetError().GetMessage(), "The response body could not be written.");
    }
    EXPECT_EQ(ok.requests().size(), 2u);
}

TEST_F(FaultTest, UnavailableTwiceThenSuccessResendsTheWholeUploadWithGrowingDelays) {
    setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "40", 1);
    FaultServer server([](int index, auto&, auto& c) {
        if (index < 2) {
            c.respond(503, errorBody("SlowDown", "Please reduce your request rate."));
        } else {
            c.respond(200, "", {"ETag: \"e\""});
        }
    });
    std::string content(3'000'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    auto client = clientFor(server.endpoint());
    const auto outcome =
        upload(*client, "big object", Aws::MakeShared<std::stringstream>("test", content));
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(outcome.GetResult().GetETag(), "\"e\"");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& received : requests) {
        EXPECT_EQ(received.body, content);
        // Plain HTTP: the body's own hash is signed.
        EXPECT_EQ(received.headers.at("x-amz-content-sha256"), aws::toHex(aws::sha256(content)));
        EXPECT_EQ(received.headers.at("content-type"), "binary/octet-stream");
        EXPECT_EQ(received.target, "/bucket/big%20object");
        EXPECT_NE(received.headers.at("authorization"), "");
    }
    // Back-off of 40 ms, then 80 ms (lower bounds only).
    EXPECT_GE(requests[1].arrived - requests[0].arrived, 40ms);
    EXPECT_GE(requests[2].arrived - requests[1].arrived, 80ms);
}

TEST_F(FaultTest, UploadAnsweredBeforeItsBodyWasReadIsARetriedTransportFailure) {
    FaultServer server([](int, auto&, auto& c) { c.respond(200, "", {"ETag: \"e\""}); },
                       FaultServer::Reading::HeadOnly);
    // Larger than what the sockets' buffers take in while nobody reads.
    const auto outcome =
        upload(*clientFor(server.endpoint(), withRetries(2)), "key",
               Aws::MakeShared<std::stringstream>("test", std::string(16u << 20, 'u')));
    expectFailureStartingWith(outcome, kTransportFailure + "only ");
    EXPECT_TRUE(
        outcome.GetError().GetMessage().ends_with(" of 16777216 bytes of the body were sent"))
        << outcome.GetError().GetMessage();
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(FaultTest, UploadFromAStreamThatDidNotOpenSendsNothing) {
    FaultServer server([](int, auto&, auto& c) { c.respond(200, ""); });
    const auto outcome =
        upload(*clientFor(server.endpoint()), "key",
               Aws::MakeShared<Aws::FStream>("test", "/nonexistent/skrw/file",
                                             std::ios_base::in | std::ios_base::binary));
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "The upload body could not be read.");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FaultTest, CopyAnsweredOkWithAnErrorDocumentIsAFailureAndRetriedWhenRetryable) {
    FaultServer denied([](int, auto&, auto& c) {
        c.respond(200, errorBody("AccessDenied", "Access Denied late"));
    });
    const auto outcome = copy(*clientFor(denied.endpoint()), "src/a b.txt");
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "Access Denied late");
    EXPECT_EQ(outcome.GetError().GetExceptionName(), "AccessDenied");
    ASSERT_EQ(denied.requests().size(), 1u);
    EXPECT_EQ(denied.requests()[0].headers.at("x-amz-copy-source"), "src/a%20b.txt");

    FaultServer internal([](int index, auto&, auto& c) {
        c.respond(200, index == 0 ? errorBody("InternalError", "internal")
                                  : "<CopyObjectResult><ETag>\"c\"</ETag></CopyObjectResult>");
    });
    const auto retried = copy(*clientFor(internal.endpoint()), "src/k");
    ASSERT_TRUE(retried.IsSuccess()) << retried.GetError().GetMessage();
    EXPECT_EQ(retried.GetResult().GetETag(), "\"c\"");
    EXPECT_EQ(internal.requests().size(), 2u);
}

TEST_F(FaultTest, ErrorStatusWithoutBodySaysSoAndOnlyServerErrorsAreRetried) {
    FaultServer notFound([](int, auto&, auto& c) { c.respond(404, ""); });
    auto outcome = download(*clientFor(notFound.endpoint()));
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "No response body.");
    EXPECT_EQ(outcome.GetError().GetResponseCode(), Aws::Http::HttpResponseCode::NOT_FOUND);
    EXPECT_EQ(notFound.requests().size(), 1u);

    FaultServer failing([](int index, auto&, auto& c) {
        c.respond(index == 0 ? 500 : 200, index == 0 ? "" : kListBucketsBody);
    });
    const auto listed = clientFor(failing.endpoint())->ListBuckets();
    ASSERT_TRUE(listed.IsSuccess()) << listed.GetError().GetMessage();
    ASSERT_EQ(listed.GetResult().GetBuckets().size(), 1u);
    EXPECT_EQ(failing.requests().size(), 2u);
}

TEST_F(FaultTest, ClockSkewIsLearntFromTheDateHeaderAndTheRetrySucceeds) {
    const auto serverOffset = 20min;
    FaultServer server([&](int, const ReceivedRequest& request, FaultConnection& c) {
        const auto serverNow = std::chrono::system_clock::now() + serverOffset;
        std::tm tm{};
        strptime(request.headers.at("x-amz-date").c_str(), "%Y%m%dT%H%M%SZ", &tm);
        const auto signedAt = std::chrono::system_clock::from_time_t(timegm(&tm));
        const auto skew = serverNow > signedAt ? serverNow - signedAt : signedAt - serverNow;
        const std::string date = "Date: " + httpDate(serverNow);
        if (skew > 15min) {
            c.respond(403, errorBody("RequestTimeTooSkewed", "too skewed"), {date});
        } else {
            c.respond(200, kListBucketsBody, {date});
        }
    });
    const auto outcome = clientFor(server.endpoint())->ListBuckets();
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(FaultTest, RedirectIsNotFollowed) {
    FaultServer elsewhere([](int, auto&, auto& c) { c.respond(200, kListBucketsBody); });
    FaultServer server([&](int, auto&, auto& c) {
        c.respond(307, errorBody("TemporaryRedirect", "Please re-send elsewhere."),
                  {"Location: " + elsewhere.endpoint() + "/"});
    });
    const auto outcome = clientFor(server.endpoint())->ListBuckets();
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(), "Please re-send elsewhere.");
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(elsewhere.requests().empty());
}

TEST_F(FaultTest, SuccessBodyThatCannotBeReadIsAFailureWithAClearMessage) {
    for (const std::string& body :
         {std::string("<html>proxy login</html"), std::string(17u << 20, ' ')}) {
        SCOPED_TRACE(body.size());
        FaultServer server([&](int, auto&, auto& c) { c.respond(200, body); });
        expectFailureStartingWith(clientFor(server.endpoint())->ListBuckets(), kUnreadable);
        EXPECT_EQ(server.requests().size(), 1u);
    }
}

TEST_F(FaultTest, SlowButSteadyTransferSucceeds) {
    const std::string object(384, 't');
    FaultServer server([&](int, auto&, auto& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 384\r\nConnection: close\r\n\r\n");
        for (std::size_t at = 0; at < object.size(); at += 64) {
            c.send(object.substr(at, 64));
            if (at + 64 < object.size()) c.pause(2s);
        }
    });
    auto client = clientFor(server.endpoint(), withRetries(0));
    const auto started = std::chrono::steady_clock::now();
    auto outcome = download(*client);
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(bodyOf(outcome), object);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 10s);
}

TEST_F(FaultTest, FiveSecondStallIsAbandoned) {
    FaultServer server([](int, auto&, auto& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + std::string(10, 's'));
        c.pause(5s);
        c.send(std::string(10, 's'));
    });
    expectFailureStartingWith(download(*clientFor(server.endpoint(), withRetries(0))),
                              kTransportFailure);
}

TEST_F(FaultTest, TrickleBelowOneBytePerSecondIsAbandoned) {
    FaultServer server([](int, auto&, auto& c) {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        for (int i = 0; i < 14; ++i) {
            c.send("x");
            c.pause(1500ms);
        }
    });
    expectFailureStartingWith(download(*clientFor(server.endpoint(), withRetries(0))),
                              kTransportFailure);
}

TEST_F(FaultTest, AnswerHeadThatNeverEndsIsAbandonedAndRetried) {
    setenv("SKRW_AWS_HEAD_TIMEOUT_MS", "2000", 1);
    FaultServer server([](int, auto&, auto& c) {
        // Fast enough for the low-speed rule, but the head never ends.
        for (bool open = c.send("HTTP/1.1 200 OK\r\n"); open; open = c.send("a: b\r\n")) {
            c.pause(500ms);
        }
    });
    const auto outcome = download(*clientFor(server.endpoint(), withRetries(1)));
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(),
              kTransportFailure + "the answer's head was not complete within 2 s");
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(FaultTest, SilentServerIsAbandonedBeforeAnyAnswer) {
    FaultServer server([](int, auto&, auto& c) { c.pause(30s); });
    const auto started = std::chrono::steady_clock::now();
    auto outcome = download(*clientFor(server.endpoint(), withRetries(0)));
    ASSERT_FALSE(outcome.IsSuccess());
    EXPECT_EQ(outcome.GetError().GetMessage(),
              "Unable to connect to endpoint: Operation too slow. Less than 1 bytes/sec "
              "transferred the last 3 seconds");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 25s);
}

TEST_F(FaultTest, ServerStoringAWholeUploadIsGivenTimeToAnswer) {
    FaultServer server([](int, auto&, auto& c) {
        c.pause(5s);
        c.respond(200, "", {"ETag: \"stored\""});
    });
    const auto outcome =
        upload(*clientFor(server.endpoint(), withRetries(0)), "key",
               Aws::MakeShared<std::stringstream>("test", std::string(100'000, 'u')));
    ASSERT_TRUE(outcome.IsSuccess()) << outcome.GetError().GetMessage();
    EXPECT_EQ(outcome.GetResult().GetETag(), "\"stored\"");
}

}  // namespace
}  // namespace skrw::test
