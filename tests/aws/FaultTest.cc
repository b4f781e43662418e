// Faults of the link and of the answer, injected by a scripted server: what is retried, what
// fails at once, with which message, and how slow a link may be.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <sstream>

#include "Crypto.h"
#include "FaultServer.h"
#include "TestEnv.h"

namespace skrw::test {
namespace {

using namespace Aws::S3;
using namespace std::chrono_literals;
using Call = std::function<std::string(S3Client&)>;

const std::string kBuckets =
    "<ListAllMyBucketsResult><Buckets><Bucket><Name>only</Name></Bucket>"
    "</Buckets></ListAllMyBucketsResult>";
const std::string kTransport = "Unable to connect to endpoint: ";
const std::string kUnreadable = "The service's answer could not be read: ";
const std::string kTooSlow =
    kTransport +
    "Operation too slow. Less than 1 bytes/sec transferred the last 3 seconds (retryable)";

// "OK <detail>" or the error's message, marked when a retry might mend it.
template <typename Outcome>
std::string summary(const Outcome& outcome, const std::string& detail = "") {
    if (outcome.IsSuccess()) return "OK " + detail;
    return outcome.GetError().GetMessage() +
           (outcome.GetError().ShouldRetry() ? " (retryable)" : "");
}

std::string bodyOf(Model::GetObjectOutcome& outcome) {
    std::ostringstream out;
    if (outcome.IsSuccess()) out << outcome.GetResult().GetBody().rdbuf();
    return out.str();
}

// A download into streams of the caller's making, one for each attempt.
Call downloadInto(std::function<Aws::IOStream*()> factory) {
    return [factory](S3Client& client) {
        Model::GetObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("key");
        request.SetResponseStreamFactory(factory);
        auto outcome = client.GetObject(request);
        return summary(outcome, bodyOf(outcome));
    };
}
const Call download = downloadInto([] { return new std::stringstream; });

Model::PutObjectOutcome upload(S3Client& client, const std::string& key,
                               std::shared_ptr<Aws::IOStream> body) {
    Model::PutObjectRequest request;
    request.SetBucket("bucket");
    request.SetKey(key);
    request.SetBody(std::move(body));
    return client.PutObject(request);
}

Call uploadOf(const std::string& content) {
    return [content](S3Client& c) {
        auto outcome = upload(c, "key", Aws::MakeShared<std::stringstream>("t", content));
        return summary(outcome, outcome.GetResult().GetETag());
    };
}

Call copy(const std::string& bucket = "dest", const std::string& source = "src/k") {
    return [=](S3Client& client) {
        Model::CopyObjectRequest request;
        request.SetBucket(bucket);
        request.SetKey("k");
        request.SetCopySource(source);
        auto outcome = client.CopyObject(request);
        return summary(outcome, outcome.GetResult().GetETag());
    };
}

// The error's message and how often it was retried.
template <typename Outcome>
std::string failure(const Outcome& outcome) {
    const auto& error = outcome.GetError();
    return error.GetMessage() + " [" + std::to_string(error.GetRetryCount()) + " retries]";
}

std::string listBuckets(S3Client& client) {
    const auto outcome = client.ListBuckets();
    return outcome.IsSuccess() ? "OK " : failure(outcome);
}

std::string listObjects(S3Client& client) {
    Model::ListObjectsV2Request request;
    request.SetBucket("bucket");
    return summary(client.ListObjectsV2(request));
}

// Answers the n-th request with the n-th of these; the last one repeats.
FaultServer::Script answers(std::vector<std::pair<int, std::string>> list) {
    return [list](int i, auto&, FaultConnection& c) {
        const auto& [status, body] = list[std::min<std::size_t>(i, list.size() - 1)];
        c.respond(status, body);
    };
}

std::string httpDate(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::strftime(text, sizeof text, "Date: %a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

// An answer that the clock of the request is off by more than 15 minutes from a server 20
// minutes ahead; the retry must carry the corrected clock.
void skewedServer(int, const ReceivedRequest& request, FaultConnection& c) {
    const auto serverNow = std::chrono::system_clock::now() + 20min;
    std::tm tm{};
    strptime(request.headers.at("x-amz-date").c_str(), "%Y%m%dT%H%M%SZ", &tm);
    const bool skewed = serverNow - std::chrono::system_clock::from_time_t(timegm(&tm)) > 15min;
    c.respond(skewed ? 403 : 200, skewed ? errorBody("RequestTimeTooSkewed", "skewed") : kBuckets,
              {httpDate(serverNow)});
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI(m_options);
        setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
        setenv("SKRW_AWS_HEAD_TIMEOUT_MS", "7000", 1);  // beyond the 3 s low-speed time
        unsetenv("AWS_ENDPOINT_URL");
    }
    void TearDown() override { Aws::ShutdownAPI(m_options); }

    static std::unique_ptr<S3Client> clientFor(const std::string& endpoint, long maxRetries,
                                               const std::string& accessKey = "AKID",
                                               const std::string& region = "us-east-1",
                                               const std::string& token = "") {
        ScopedEnv variable("AWS_ENDPOINT_URL_S3",
                           endpoint.empty() ? std::nullopt : std::optional(endpoint));
        Aws::Client::ClientConfiguration configuration;
        configuration.maxRetries = maxRetries;
        configuration.region = region;
        return std::make_unique<S3Client>(
            Aws::Auth::AWSCredentials(accessKey, "SECRET", token), configuration,
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    }

    Aws::SDKOptions m_options;
};

TEST_F(FaultTest, LinkFailuresNameTheirCauseAndOnlyTransientOnesAreRetried) {
    FaultServer plain([](int, auto&, auto& c) { c.respond(200, ""); });
    FaultServer untrusted([](int, auto&, auto& c) { c.respond(200, kBuckets); }, {.tls = true});
    const Call hugeKey = [](S3Client& c) {  // a request line larger than curl will build
        return failure(
            upload(c, std::string(1u << 20, 'k'), Aws::MakeShared<std::stringstream>("t", "b")));
    };
    const struct {
        std::string endpoint;
        Call call;
        std::string fragment;
        std::string retries;
    } rows[] = {
        {closedPortEndpoint(), listBuckets, "onnect", " [2 retries]"},
        {"http://nonexistent.invalid", listBuckets, "resolve", " [2 retries]"},
        {untrusted.endpoint(), listBuckets, "certificate", " [0 retries]"},
        {plain.endpoint(), hugeKey, "", " [0 retries]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.endpoint + " " + row.fragment);
        const std::string got = row.call(*clientFor(row.endpoint, 2));
        EXPECT_TRUE(got.starts_with(kTransport) && got.ends_with(row.retries)) << got;
        EXPECT_GT(got.size(), kTransport.size() + row.retries.size() + 2) << got;
        EXPECT_NE(got.find(row.fragment), std::string::npos) << got;
    }
    EXPECT_TRUE(plain.requests().empty());
    EXPECT_EQ(untrusted.connections(), 1);
    EXPECT_TRUE(untrusted.requests().empty());
}

TEST_F(FaultTest, ControlCharactersInHeadersAndDotBucketsAreRefusedUnsent) {
    FaultServer server(answers({{200, kBuckets}}));
    const auto inHeader = [](const std::string& name) {
        return "The request holds a control character in header " + name + "; it was not sent.";
    };
    const Call typed = [](S3Client& c) {
        Model::PutObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("k");
        request.SetContentType("text/plain\r\nx-amz-acl: public-read");
        request.SetBody(Aws::MakeShared<std::stringstream>("t", "x"));
        return summary(c.PutObject(request));
    };
    const std::string at = server.endpoint(), eu = "eu-west-1",
                      signature = inHeader("Authorization");
    const struct {
        std::string accessKey, region, token, endpoint;  // endpoint "": none set
        Call call;
        std::string message;
    } rows[] = {
        {"AK\r\nID", eu, "", at, listObjects, signature},
        {std::string("AK\0ID", 5), eu, "", at, listObjects, signature},
        {"AKID\x1F", eu, "", at, listObjects, signature},
        {"AKID\x7F", eu, "", at, listObjects, signature},
        {"AKID", "eu-west-1\r\nx-amz-date: 1", "", at, listObjects, signature},
        {"AKID", "eu-west-1\n", "", "", listObjects,
         "The region \"eu-west-1\n\" is not a valid region name."},
        {"AKID", eu, "to\nken", at, listObjects, inHeader("x-amz-security-token")},
        {"AKID", eu, "", at + "\r", listObjects, inHeader("Host")},
        {"AKID", eu, "", at, typed, inHeader("Content-Type")},
        {"AKID", eu, "", at, copy(".", "b/k"), "The bucket name \".\" is not valid."},
        {"AKID", eu, "", at, copy("b", "../k"), "The bucket name \"..\" is not valid."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.accessKey + " " + row.region + " " + row.token));
        EXPECT_EQ(row.call(*clientFor(row.endpoint, 0, row.accessKey, row.region, row.token)),
                  row.message);
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FaultTest, AnswersAreRetriedOrFailedByWhatTheyAre) {
    const std::string object(300'000, 'o');
    const std::string cut =
        "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\n" + object.substr(0, 1000);
    std::atomic<std::size_t> hugeSent{0};
    const struct Row {
        const char* name;
        FaultServer::Script script;
        Call call;
        std::string expected;  // the summary, or its start
        std::size_t requests;
        FaultServer::Options options = {};
    } rows[] = {
        {"reset mid-body",
         [](int, auto&, auto& c) {
             c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'x'));
             c.pause(50ms);
             c.reset();
         },
         download, kTransport, 3},
        // Each attempt starts a fresh stream: the cut attempt's bytes are not kept.
        {"short body once",
         [&](int i, auto&, auto& c) { i ? c.respond(200, object) : (void)c.send(cut); }, download,
         "OK " + object, 2},
        {"short body always", [&](int, auto&, auto& c) { c.send(cut); }, download, kTransport, 3},
        {"404 without body", answers({{404, ""}}), download, "No response body.", 1},
        {"500 without body", answers({{500, ""}, {200, kBuckets}}), listBuckets, "OK ", 2},
        {"429 without body", answers({{429, ""}, {200, kBuckets}}), listBuckets, "OK ", 2},
        {"429 naming no throttling code",
         answers({{429, errorBody("TooManyRequests", "later")}, {200, kBuckets}}), listBuckets,
         "OK ", 2},
        {"copy 200 with AccessDenied", answers({{200, errorBody("AccessDenied", "Denied late")}}),
         copy(), "Denied late", 1},
        {"copy 200 with InternalError",
         answers({{200, errorBody("InternalError", "internal")},
                  {200, "<CopyObjectResult><ETag>\"c\"</ETag></CopyObjectResult>"}}),
         copy(), "OK \"c\"", 2},
        {"redirect",
         [](int, auto&, auto& c) {
             c.respond(307, errorBody("TemporaryRedirect", "Please re-send elsewhere."),
                       {"Location: /"});
         },
         listBuckets, "Please re-send elsewhere.", 1},
        {"clock skew", skewedServer, listBuckets, "OK ", 2},
        {"HTML page", answers({{200, "<html>proxy login</html"}}), listBuckets, kUnreadable, 1},
        {"cut-off listing", answers({{200, "<ListBucketResult><Name>b</Na"}}), listObjects,
         kUnreadable, 1},
        {"100 MiB listing",
         [&](int, auto&, auto& c) {
             c.send("HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n<ListBucketResult>");
             const std::string block(1u << 20, ' ');
             for (int i = 0; i < 100 && c.send(block); ++i) hugeSent += block.size();
         },
         listObjects, kUnreadable + "the answer is larger than 16 MiB", 1},
        // Whether the answer or the reset of its close reaches the client first, the upload
        // is a retried transport failure, never a success.
        {"upload answered before its body was read",
         answers({{200, ""}}),
         uploadOf(std::string(16u << 20, 'u')),
         kTransport,
         3,
         {.headOnly = true}},
        {"no response stream", answers({{200, object}}), downloadInto([] { return nullptr; }),
         "The response body could not be written.", 1},
        {"response stream refusing writes", answers({{200, object}}), downloadInto([] {
             auto* stream = new std::stringstream;
             stream->setstate(std::ios_base::badbit);
             return stream;
         }),
         "The response body could not be written.", 1},
        {"upload stream that did not open", answers({{200, ""}}),
         [](S3Client& c) {
             return summary(upload(
                 c, "k", Aws::MakeShared<Aws::FStream>("t", "/nonexistent/f", std::ios_base::in)));
         },
         "The upload body could not be read.", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FaultServer server(row.script, row.options);
        const std::string got = row.call(*clientFor(server.endpoint(), 2));
        EXPECT_TRUE(got.starts_with(row.expected)) << got.substr(0, 300);
        EXPECT_EQ(server.requests().size(), row.requests);
    }
    EXPECT_LT(hugeSent, 64u << 20);  // the client stopped reading soon after the bound
}

TEST_F(FaultTest, RetriedUploadResendsTheWholeSignedBodyAfterGrowingDelays) {
    setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "40", 1);
    FaultServer server([](int index, auto&, auto& c) {
        index < 2 ? c.respond(503, errorBody("SlowDown", "Reduce your rate.")) : c.respond(200, "");
    });
    std::string content(3'000'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    EXPECT_EQ(uploadOf(content)(*clientFor(server.endpoint(), 10)), "OK ");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& received : requests) {
        EXPECT_TRUE(received.body == content);
        // Plain HTTP: the body's own hash is signed.
        EXPECT_EQ(received.headers.at("x-amz-content-sha256"), aws::toHex(aws::sha256(content)));
        EXPECT_EQ(received.headers.at("content-type"), "binary/octet-stream");
    }
    // Back-off of 40 ms, then 80 ms (lower bounds only).
    EXPECT_GE(requests[1].arrived - requests[0].arrived, 40ms);
    EXPECT_GE(requests[2].arrived - requests[1].arrived, 80ms);
}

TEST_F(FaultTest, SlowLinksAreAbandonedAndRetriedButSteadyOnesAndThinkingServersAreNot) {
    const auto trickle = [](int bytes, std::chrono::milliseconds gap) {
        return [=](int, auto&, auto& c) {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bytes) + "\r\n\r\n");
            for (int i = 0; i < bytes && c.send("t"); ++i) c.pause(i + 1 < bytes ? gap : 0ms);
        };
    };
    const struct {
        const char* name;
        FaultServer::Script script;
        Call call;
        std::string expected;
    } rows[] = {
        {"silent", [](int, auto&, auto& c) { c.pause(30s); }, download, kTooSlow},
        {"stall mid-body",
         [](int, auto&, auto& c) {
             c.send("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + std::string(10, 's'));
             c.pause(10s);
         },
         download, kTooSlow},
        {"trickle below 1 byte/s", trickle(14, 1500ms), download, kTooSlow},
        {"steady 1 byte per 400 ms", trickle(12, 400ms), download, "OK " + std::string(12, 't')},
        {"head that never ends",
         [](int, auto&, auto& c) {
             for (bool open = c.send("HTTP/1.1 200 OK\r\n"); open; open = c.send("a: b\r\n")) {
                 c.pause(500ms);
             }
         },
         download, kTransport + "the answer's head was not complete within 7 s (retryable)"},
        {"server storing an upload for 4 s",
         [](int, auto&, auto& c) {
             c.pause(4s);
             c.respond(200, "", {"ETag: \"stored\""});
         },
         uploadOf(std::string(100'000, 'u')), "OK \"stored\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FaultServer server(row.script);
        EXPECT_EQ(row.call(*clientFor(server.endpoint(), 0)), row.expected);
    }
}

}  // namespace
}  // namespace skrw::test
