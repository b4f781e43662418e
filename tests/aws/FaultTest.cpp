// Faults of the link and of the answer, injected by a scripted server: what is retried, what
// fails at once, with which message, and how slow a link may be.
#include <aws/core/Aws.h>
#include <aws/core/utils/memory/AWSMemory.h>
#include <aws/s3/S3Client.h>
#include <gtest/gtest.h>

#include <sstream>

#include "FaultServer.h"
#include "TestEnv.h"

namespace skrw::test {
namespace {

using namespace Aws::S3;
using namespace std::chrono_literals;
using Call = std::function<std::string(S3Client&)>;

const std::string kTransport = "Unable to connect to endpoint: ";
const std::string kUnreadable = "The service's answer could not be read: ";

// "OK <detail>", or "[<retries>] <message>" marked when a retry might mend it.
template <typename Outcome>
std::string summary(const Outcome& outcome, const std::string& detail = "") {
    if (outcome.IsSuccess()) return "OK " + detail;
    const auto& error = outcome.GetError();
    return "[" + std::to_string(error.GetRetryCount()) + "] " + error.GetMessage() +
           (error.ShouldRetry() ? " (retryable)" : "");
}

// A download into streams of the caller's making, one for each attempt.
Call downloadInto(std::function<Aws::IOStream*()> factory) {
    return [factory](S3Client& client) {
        Model::GetObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("key");
        request.SetResponseStreamFactory(factory);
        auto outcome = client.GetObject(request);
        std::ostringstream body;
        if (outcome.IsSuccess()) body << outcome.GetResult().GetBody().rdbuf();
        return summary(outcome, body.str());
    };
}
const Call download = downloadInto([] { return new std::stringstream; });

// A download whose body the client holds itself; its size is the detail.
const Call downloadHeld = [](S3Client& client) {
    Model::GetObjectRequest request;
    request.SetBucket("bucket");
    request.SetKey("key");
    auto outcome = client.GetObject(request);
    std::ostringstream body;
    if (outcome.IsSuccess()) body << outcome.GetResult().GetBody().rdbuf();
    return summary(outcome, std::to_string(body.str().size()));
};

Call putWith(std::function<void(Model::PutObjectRequest&)> fill) {
    return [fill](S3Client& client) {
        Model::PutObjectRequest request;
        request.SetBucket("bucket");
        request.SetKey("key");
        fill(request);
        auto outcome = client.PutObject(request);
        return summary(outcome, outcome.GetResult().GetETag());
    };
}
Call uploadOf(const std::string& content) {
    return putWith(
        [content](auto& r) { r.SetBody(Aws::MakeShared<std::stringstream>("", content)); });
}

const Call listBuckets = [](S3Client& client) { return summary(client.ListBuckets()); };

// Answers the n-th request with the n-th of these; the last one repeats.
FaultServer::Script answers(std::vector<std::pair<int, std::string>> list) {
    return [list](int i, auto&, FaultConnection& c) {
        const auto& [status, body] = list[std::min<std::size_t>(i, list.size() - 1)];
        c.respond(status, body);
    };
}

// Whether the request was signed within 15 minutes of `serverNow`, as S3 asks.
bool signedNear(const ReceivedRequest& request, std::time_t serverNow) {
    std::tm tm{};
    strptime(request.headers.at("x-amz-date").c_str(), "%Y%m%dT%H%M%SZ", &tm);
    const std::time_t signedAt = timegm(&tm);
    return signedAt > serverNow - 15 * 60 && signedAt < serverNow + 15 * 60;
}

const std::string kSkewed = errorBody("RequestTimeTooSkewed", "skewed");

// A server 20 minutes ahead refuses a request signed more than 15 minutes from its clock.
void skewedServer(int, const ReceivedRequest& request, FaultConnection& c) {
    const std::time_t serverNow = std::time(nullptr) + 20 * 60;
    const bool skewed = !signedNear(request, serverNow);
    std::tm tm{};
    char date[64];
    std::strftime(date, sizeof date, "Date: %a, %d %b %Y %H:%M:%S GMT", gmtime_r(&serverNow, &tm));
    c.respond(skewed ? 403 : 200, skewed ? kSkewed : "<ListAllMyBucketsResult/>", {date});
}

// A server whose clock is right but whose first answer claims a date 150 years ahead: no clock
// drifts that far, so the date is not learnt and the retry is signed with the client's own time.
void absurdDateServer(int i, const ReceivedRequest& request, FaultConnection& c) {
    const bool accepted = i > 0 && signedNear(request, std::time(nullptr));
    c.respond(accepted ? 200 : 403, accepted ? "<ListAllMyBucketsResult/>" : kSkewed,
              i == 0 ? std::vector<std::string>{"Date: Mon, 01 Jan 2176 00:00:00 GMT"}
                     : std::vector<std::string>{});
}

struct Row {
    const char* name;
    FaultServer::Script script;
    Call call;
    std::string expected;  // the summary, or its start
    std::size_t requests;
    FaultOptions options = {};
};

// The client's settings: the defaults but for the retries.
Aws::Client::ClientConfiguration retrying(long maxRetries) {
    Aws::Client::ClientConfiguration configuration;
    configuration.maxRetries = maxRetries;
    return configuration;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI({});
        setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
        unsetenv("SKRW_AWS_HEAD_TIMEOUT_MS");
        unsetenv("AWS_ENDPOINT_URL");
    }
    void TearDown() override { Aws::ShutdownAPI({}); }

    static std::unique_ptr<S3Client> clientFor(const std::string& endpoint,
                                               Aws::Client::ClientConfiguration configuration,
                                               const std::string& accessKey = "AKID",
                                               const std::string& token = "") {
        ScopedEnv variable("AWS_ENDPOINT_URL_S3",
                           endpoint.empty() ? std::nullopt : std::optional(endpoint));
        return std::make_unique<S3Client>(
            Aws::Auth::AWSCredentials(accessKey, "SECRET", token), configuration,
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true);
    }

    static void check(const std::vector<Row>& rows,
                      const Aws::Client::ClientConfiguration& configuration) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            FaultServer server(row.script, row.options);
            const std::string got = row.call(*clientFor(server.endpoint(), configuration));
            EXPECT_TRUE(got.starts_with(row.expected)) << got.substr(0, 300);
            EXPECT_EQ(server.requests().size(), row.requests);
        }
    }
};

TEST_F(FaultTest, LinkFailuresAndAnswersAreRetriedOrFailedByWhatTheyAre) {
    const std::string object(300'000, 'o');
    const auto ok = answers({{200, ""}});
    bool hungUp = false;
    FaultServer untrusted(ok, {.tls = true});
    const ClosedPort closed;
    for (const auto& [endpoint, start, cause] : {std::tuple{closed.endpoint(), "[2] ", "onnect"},
                                                 {unresolvableEndpoint(), "[2] ", "resolve"},
                                                 {untrusted.endpoint(), "[0] ", "certificate"}}) {
        SCOPED_TRACE(endpoint);
        const std::string got = listBuckets(*clientFor(endpoint, retrying(2)));
        EXPECT_TRUE(got.starts_with(start + kTransport) && got.find(cause) != got.npos) << got;
    }
    EXPECT_TRUE(untrusted.requests().empty());
    const Call badStream = downloadInto([] { return new std::stringstream("", std::ios::in); });
    const std::string cutShort = "HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\nxyz";
    check(
        {
            {"reset mid-body",
             [](int, auto&, auto& c) {
                 c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(99, 'x'));
                 c.pause(50ms);
                 c.reset();
             },
             download, "[2] " + kTransport, 3},
            // Each attempt starts a fresh stream: the cut attempt's bytes are not kept.
            {"short body once",
             [&](int i, auto&, auto& c) { i ? c.respond(200, object) : (void)c.send(cutShort); },
             download, "OK " + object, 2},
            {"short HTTP/1.0 listing once",
             [](int i, auto&, auto& c) {
                 i ? c.respond(200, "<ListAllMyBucketsResult/>")
                   : (void)c.send("HTTP/1.0 200 OK\r\nContent-Length: 300\r\n\r\n<ListAll");
             },
             listBuckets, "OK ", 2},
            // The chunked framing decides where the body ends, whatever length is named too.
            {"chunked answer naming a length too",
             [](int, auto&, auto& c) {
                 c.send(
                     "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nTransfer-Encoding: "
                     "chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n");
             },
             download, "OK abc", 1},
            {"short error document once",
             [](int i, auto&, auto& c) {
                 i ? c.respond(404, errorBody("NoSuchKey", "gone"))
                   : (void)c.send("HTTP/1.1 404 Not Found\r\nContent-Length: 300\r\n\r\n<Error>");
             },
             download, "[1] gone", 2},
            {"closed without an answer once",
             [](int i, auto&, auto& c) {
                 if (i > 0) c.respond(200, "");
             },
             download, "OK ", 2},
            {"404 without body", answers({{404, ""}}), download, "[0] No response body.", 1},
            {"500 without body", answers({{500, ""}, {200, ""}}), download, "OK ", 2},
            {"429 without body", answers({{429, ""}, {200, ""}}), download, "OK ", 2},
            {"429 naming no throttling code",
             answers({{429, errorBody("TooManyRequests", "later")}, {200, ""}}), download, "OK ",
             2},
            {"400 RequestTimeout", answers({{400, errorBody("RequestTimeout", "idle")}, {200, ""}}),
             download, "OK ", 2},
            {"400 Throttling", answers({{400, errorBody("Throttling", "later")}, {200, ""}}),
             download, "OK ", 2},
            {"400 ThrottlingException",
             answers({{400, errorBody("ThrottlingException", "later")}, {200, ""}}), download,
             "OK ", 2},
            {"400 naming no retryable code", answers({{400, errorBody("BadDigest", "no")}}),
             download, "[0] no", 1},
            {"error document in a 200 answer",
             answers({{200, errorBody("AccessDenied", "Denied")}}), listBuckets, "[0] Denied", 1},
            {"redirect",
             [](int, auto&, auto& c) {
                 c.respond(307, errorBody("TemporaryRedirect", "Elsewhere."), {"Location: /"});
             },
             listBuckets, "[0] Elsewhere.", 1},
            {"clock skew", skewedServer, listBuckets, "OK ", 2},
            {"absurd server date", absurdDateServer, listBuckets, "OK ", 2},
            {"HTML page", answers({{200, "<html>proxy login</html"}}), listBuckets,
             "[0] " + kUnreadable, 1},
            // The client hangs up at the bound: a client still reading would be kept going,
            // well above the low-speed limit, for two seconds after the 17th MiB.
            {"100 MiB listing",
             [&](int, auto&, auto& c) {
                 bool open = c.send(
                     "HTTP/1.1 200 OK\r\nContent-Length: "
                     "104857600\r\n\r\n<ListAllMyBucketsResult>");
                 const std::string block(1u << 20, ' ');
                 for (int i = 0; i < 17 && open; ++i) open = c.send(block);
                 for (int i = 0; i < 20 && open; ++i) {
                     c.pause(100ms);
                     open = c.send(" ");
                 }
                 hungUp = !open;
             },
             listBuckets, "[0] " + kUnreadable + "the answer is larger than 16 MiB", 1},
            // Whether the answer or the reset of its close reaches the client first, the upload
            // is a retried transport failure, never a success.
            {"upload answered early",
             ok,
             uploadOf(std::string(16u << 20, 'u')),
             "[2] " + kTransport,
             3,
             {.headOnly = true}},
            {"response stream refusing writes", answers({{200, object}}), badStream,
             "[0] The response body could not be written.", 1},
            {"upload stream that did not open", ok, putWith([](auto& r) {
                 r.SetBody(Aws::MakeShared<Aws::FStream>("", "/nonexistent/f", std::ios::in));
             }),
             "[0] The upload body could not be read.", 0},
        },
        retrying(2));
    EXPECT_TRUE(hungUp);
}

TEST_F(FaultTest, RetryableFailuresAreRetriedTenTimesByDefault) {
    check({{"500 every time", answers({{500, ""}}), download, "[10] No response body. (retryable)",
            11}},
          Aws::Client::ClientConfiguration());
}

// A body without a stream of the caller's is held in memory up to 4 MiB, then in a temporary
// file: here one that cannot be made.
TEST_F(FaultTest, BodiesBeyond4MiBAreNotHeldInMemory) {
    ScopedEnv temporary("TMPDIR", "/nonexistent");
    const std::string spillFailed = "[0] " + kTransport +
                                    "cannot create a temporary file for the response body: No "
                                    "such file or directory";
    check({{"4 MiB", answers({{200, std::string(4u << 20, 'm')}}), downloadHeld, "OK 4194304", 1},
           {"4 MiB and 1 byte", answers({{200, std::string((4u << 20) + 1, 'm')}}), downloadHeld,
            spillFailed, 1}},
          retrying(2));
}

// A low-speed limit of 100 bytes/s over 1 s: the steady link moves at least 5 times more, the
// trickle at most a fifth, and neither pauses for more than a fifth of the window.
TEST_F(FaultTest, SlowTransfersAreAbandonedAndRetriedButSteadyOnesAreNot) {
    const auto trickle = [](int total, int step, std::chrono::milliseconds gap) {
        return [=](int, auto&, auto& c) {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(total) + "\r\n\r\n");
            for (int i = 0; i < total && c.send(std::string(step, 't')); i += step) c.pause(gap);
        };
    };
    Aws::Client::ClientConfiguration configuration = retrying(0);
    configuration.requestTimeoutMs = 1000;
    configuration.lowSpeedLimit = 100;
    const std::string tooSlow = "[0] " + kTransport +
                                "Operation too slow. Less than 100 bytes/sec transferred the last "
                                "1 seconds (retryable)";
    check({{"silent", [](int, auto&, auto& c) { c.pause(30s); }, download, tooSlow, 1},
           {"trickle of 2 bytes per 100 ms", trickle(200, 2, 100ms), download, tooSlow, 1},
           {"steady 20 bytes per 20 ms", trickle(2000, 20, 20ms), download,
            "OK " + std::string(2000, 't'), 1}},
          configuration);
}

// A head trickled at 20 times the low-speed limit, never complete, fails at its own bound.
TEST_F(FaultTest, AnswerHeadsThatNeverEndFailAtTheHeadBound) {
    setenv("SKRW_AWS_HEAD_TIMEOUT_MS", "2000", 1);
    const auto endlessHead = [](int, auto&, auto& c) {
        const std::string line = "a: " + std::string(95, 'b') + "\r\n";
        for (bool open = c.send("HTTP/1.1 200 OK\r\n"); open; open = c.send(line)) c.pause(50ms);
    };
    Aws::Client::ClientConfiguration configuration = retrying(0);
    configuration.requestTimeoutMs = 1000;
    configuration.lowSpeedLimit = 100;
    const std::string headLate =
        "[0] " + kTransport + "the answer's head was not complete within 2 s (retryable)";
    check({{"head that never ends", endlessHead, download, headLate, 1},
           {"head that never ends, body unread",
            endlessHead,
            uploadOf(std::string(16u << 20, 'u')),
            headLate,
            1,
            {.headOnly = true}}},
          configuration);
}

// After a whole upload, a server may think for many low-speed windows: here 6 of them, at the
// default bound of the answer's head.
TEST_F(FaultTest, ServerThinkingAfterAnUploadIsWaitedFor) {
    Aws::Client::ClientConfiguration configuration = retrying(0);
    configuration.requestTimeoutMs = 1000;
    check({{"server storing an upload for 6 s",
            [](int, auto&, auto& c) {
                c.pause(6s);
                c.respond(200, "", {"ETag: \"stored\""});
            },
            uploadOf(std::string(100'000, 'u')), "OK \"stored\"", 1}},
          configuration);
}

// Wait settings beyond a day are ignored: this one would overflow once counted in nanoseconds.
TEST_F(FaultTest, HugeWaitSettingsAreIgnored) {
    setenv("SKRW_AWS_HEAD_TIMEOUT_MS", "9223372036854775807", 1);
    check({{"ordinary answer", answers({{200, "x"}}), download, "OK x", 1}}, retrying(2));
}

TEST_F(FaultTest, ControlCharactersInHeadersAndDotBucketsAreRefusedUnsent) {
    FaultServer server(answers({{200, ""}}));
    const std::string at = server.endpoint();
    const auto inHeader = [](const std::string& name) {
        return "[0] The request holds a control character in header " + name + "; it was not sent.";
    };
    Aws::Client::ClientConfiguration badRegion = retrying(0);
    badRegion.region = "eu-west-1\n";
    Model::CopyObjectRequest copy;
    copy.SetBucket("b");
    copy.SetKey("k");
    copy.SetCopySource("../k");
    const std::pair<std::string, std::string> rows[] = {
        {listBuckets(*clientFor(at, retrying(0), "AK\r\nID")), inHeader("Authorization")},
        {listBuckets(*clientFor(at, retrying(0), "AKID", "to\x1Fken")),
         inHeader("x-amz-security-token")},
        {listBuckets(*clientFor(at + "\r", retrying(0))), inHeader("Host")},
        {putWith([](auto& r) { r.SetContentType("text/plain\x7F"); })(*clientFor(at, retrying(0))),
         inHeader("Content-Type")},
        {listBuckets(*clientFor("", badRegion)),
         "[0] The region \"eu-west-1\n\" is not a valid region name."},
        {putWith([](auto& r) { r.SetBucket("."); })(*clientFor(at, retrying(0))),
         "[0] The bucket name \".\" is not valid."},
        {summary(clientFor(at, retrying(0))->CopyObject(copy)),
         "[0] The bucket name \"..\" is not valid."},
    };
    for (const auto& [got, expected] : rows) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(got, expected);
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FaultTest, RetriedUploadResendsTheWholeSignedBodyAfterGrowingDelays) {
    setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "40", 1);
    const std::string slowDown = errorBody("SlowDown", "Reduce your rate.");
    FaultServer server(answers({{503, slowDown}, {503, slowDown}, {200, ""}}));
    std::string content(3'000'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    EXPECT_EQ(uploadOf(content)(*clientFor(server.endpoint(), retrying(10))), "OK ");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE("attempt " + std::to_string(i));
        EXPECT_TRUE(requests[i].body == content);
        EXPECT_EQ(requests[i].headers.at("content-type"), "binary/octet-stream");
        // Sent at once, without waiting for a "100 Continue" the server may never send.
        EXPECT_EQ(requests[i].headers.count("expect"), 0u);
    }
    // Back-off of 40 ms, then 80 ms (lower bounds only).
    EXPECT_GE(requests[1].arrived - requests[0].arrived, 40ms);
    EXPECT_GE(requests[2].arrived - requests[1].arrived, 80ms);
}

}  // namespace
}  // namespace skrw::test
