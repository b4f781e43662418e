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

// A server 20 minutes ahead refuses a request signed more than 15 minutes before its clock.
void skewedServer(int, const ReceivedRequest& request, FaultConnection& c) {
    std::tm tm{};
    strptime(request.headers.at("x-amz-date").c_str(), "%Y%m%dT%H%M%SZ", &tm);
    const std::time_t serverNow = std::time(nullptr) + 20 * 60;
    const bool skewed = serverNow - timegm(&tm) > 15 * 60;
    char date[64];
    std::strftime(date, sizeof date, "Date: %a, %d %b %Y %H:%M:%S GMT", gmtime_r(&serverNow, &tm));
    c.respond(skewed ? 403 : 200,
              skewed ? errorBody("RequestTimeTooSkewed", "skewed") : "<ListAllMyBucketsResult/>",
              {date});
}

struct Row {
    const char* name;
    FaultServer::Script script;
    Call call;
    std::string expected;  // the summary, or its start
    std::size_t requests;
    FaultOptions options = {};
};

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Aws::InitAPI({});
        setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "1", 1);
        setenv("SKRW_AWS_HEAD_TIMEOUT_MS", "7000", 1);  // beyond the 3 s low-speed time
        unsetenv("AWS_ENDPOINT_URL");
    }
    void TearDown() override { Aws::ShutdownAPI({}); }

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

    static void check(const std::vector<Row>& rows, long maxRetries) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            FaultServer server(row.script, row.options);
            const std::string got = row.call(*clientFor(server.endpoint(), maxRetries));
            EXPECT_TRUE(got.starts_with(row.expected)) << got.substr(0, 300);
            EXPECT_EQ(server.requests().size(), row.requests);
        }
    }
};

TEST_F(FaultTest, LinkFailuresAndAnswersAreRetriedOrFailedByWhatTheyAre) {
    const std::string object(300'000, 'o');
    const auto ok = answers({{200, ""}});
    std::atomic<std::size_t> sent{0};
    FaultServer untrusted(ok, {.tls = true});
    for (const auto& [endpoint, start, cause] : {std::tuple{closedPortEndpoint(), "[2] ", "onnect"},
                                                 {"http://nonexistent.invalid", "[2] ", "resolve"},
                                                 {untrusted.endpoint(), "[0] ", "certificate"}}) {
        const std::string got = listBuckets(*clientFor(endpoint, 2));
        EXPECT_TRUE(got.starts_with(start + kTransport) && got.find(cause) != got.npos) << got;
    }
    EXPECT_TRUE(untrusted.requests().empty());
    const Call badStream = downloadInto([] { return new std::stringstream("", std::ios::in); });
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
             [&](int i, auto&, auto& c) {
                 i ? c.respond(200, object)
                   : (void)c.send("HTTP/1.1 200 OK\r\nContent-Length: 300000\r\n\r\nxyz");
             },
             download, "OK " + object, 2},
            {"404 without body", answers({{404, ""}}), download, "[0] No response body.", 1},
            {"500 without body", answers({{500, ""}, {200, ""}}), download, "OK ", 2},
            {"429 without body", answers({{429, ""}, {200, ""}}), download, "OK ", 2},
            {"429 naming no throttling code",
             answers({{429, errorBody("TooManyRequests", "later")}, {200, ""}}), download, "OK ",
             2},
            {"error document in a 200 answer",
             answers({{200, errorBody("AccessDenied", "Denied")}}), listBuckets, "[0] Denied", 1},
            {"redirect",
             [](int, auto&, auto& c) {
                 c.respond(307, errorBody("TemporaryRedirect", "Elsewhere."), {"Location: /"});
             },
             listBuckets, "[0] Elsewhere.", 1},
            {"clock skew", skewedServer, listBuckets, "OK ", 2},
            {"HTML page", answers({{200, "<html>proxy login</html"}}), listBuckets,
             "[0] " + kUnreadable, 1},
            {"100 MiB listing",
             [&](int, auto&, auto& c) {
                 c.send(
                     "HTTP/1.1 200 OK\r\nContent-Length: "
                     "104857600\r\n\r\n<ListAllMyBucketsResult>");
                 const std::string block(1u << 20, ' ');
                 for (int i = 0; i < 100 && c.send(block); ++i) sent += block.size();
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
        2);
    EXPECT_LT(sent, 64u << 20);  // the client stopped reading soon after the bound
}

TEST_F(FaultTest, SlowLinksAreAbandonedAndRetriedButSteadyOnesAndThinkingServersAreNot) {
    const auto trickle = [](int bytes, std::chrono::milliseconds gap) {
        return [=](int, auto&, auto& c) {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bytes) + "\r\n\r\n");
            for (int i = 0; i < bytes && c.send("t"); ++i) c.pause(i + 1 < bytes ? gap : 0ms);
        };
    };
    const auto endlessHead = [](int, auto&, auto& c) {
        for (bool open = c.send("HTTP/1.1 200 OK\r\n"); open; open = c.send("a: b\r\n"))
            c.pause(500ms);
    };
    const std::string headLate =
        "[0] " + kTransport + "the answer's head was not complete within 7 s (retryable)";
    const std::string tooSlow = "[0] " + kTransport +
                                "Operation too slow. Less than 1 bytes/sec transferred the last 3 "
                                "seconds (retryable)";
    check({{"silent", [](int, auto&, auto& c) { c.pause(30s); }, download, tooSlow, 1},
           {"trickle below 1 byte/s", trickle(14, 1500ms), download, tooSlow, 1},
           {"steady 1 byte per 400 ms", trickle(10, 400ms), download, "OK tttttttttt", 1},
           {"head that never ends", endlessHead, download, headLate, 1},
           {"head that never ends, body unread",
            endlessHead,
            uploadOf(std::string(16u << 20, 'u')),
            headLate,
            1,
            {.headOnly = true}},
           {"server storing an upload for 4 s",
            [](int, auto&, auto& c) {
                c.pause(4s);
                c.respond(200, "", {"ETag: \"stored\""});
            },
            uploadOf(std::string(100'000, 'u')), "OK \"stored\"", 1}},
          0);
}

TEST_F(FaultTest, ControlCharactersInHeadersAndDotBucketsAreRefusedUnsent) {
    FaultServer server(answers({{200, ""}}));
    const std::string at = server.endpoint();
    const auto inHeader = [](const std::string& name) {
        return "[0] The request holds a control character in header " + name + "; it was not sent.";
    };
    Model::CopyObjectRequest copy;
    copy.SetBucket("b");
    copy.SetKey("k");
    copy.SetCopySource("../k");
    const std::pair<std::string, std::string> rows[] = {
        {listBuckets(*clientFor(at, 0, "AK\r\nID")), inHeader("Authorization")},
        {listBuckets(*clientFor(at, 0, "AKID", "us-east-1", "to\x1Fken")),
         inHeader("x-amz-security-token")},
        {listBuckets(*clientFor(at + "\r", 0)), inHeader("Host")},
        {putWith([](auto& r) { r.SetContentType("text/plain\x7F"); })(*clientFor(at, 0)),
         inHeader("Content-Type")},
        {listBuckets(*clientFor("", 0, "AKID", "eu-west-1\n")),
         "[0] The region \"eu-west-1\n\" is not a valid region name."},
        {putWith([](auto& r) { r.SetBucket("."); })(*clientFor(at, 0)),
         "[0] The bucket name \".\" is not valid."},
        {summary(clientFor(at, 0)->CopyObject(copy)), "[0] The bucket name \"..\" is not valid."},
    };
    for (const auto& [got, expected] : rows) EXPECT_EQ(got, expected);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FaultTest, RetriedUploadResendsTheWholeSignedBodyAfterGrowingDelays) {
    setenv("SKRW_AWS_RETRY_BASE_DELAY_MS", "40", 1);
    const std::string slowDown = errorBody("SlowDown", "Reduce your rate.");
    FaultServer server(answers({{503, slowDown}, {503, slowDown}, {200, ""}}));
    std::string content(3'000'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    EXPECT_EQ(uploadOf(content)(*clientFor(server.endpoint(), 10)), "OK ");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& received : requests) {
        EXPECT_TRUE(received.body == content);
        EXPECT_EQ(received.headers.at("content-type"), "binary/octet-stream");
    }
    // Back-off of 40 ms, then 80 ms (lower bounds only).
    EXPECT_GE(requests[1].arrived - requests[0].arrived, 40ms);
    EXPECT_GE(requests[2].arrived - requests[1].arrived, 80ms);
}

}  // namespace
}  // namespace skrw::test
