// The verifying front answers a request signed as S3 wants it and refuses, before the store sees
// it, what S3 refuses. The requests are signed here, independently of the product's signer.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "CurlHandle.h"
#include "TestServer.h"

namespace skrw::test {
namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes)
        out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
}

std::string sha256Hex(const std::string& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    return hex(std::string(reinterpret_cast<char*>(digest), sizeof digest));
}

std::string hmac(const std::string& key, const std::string& data) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned size = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(data.data()), data.size(), out, &size);
    return std::string(reinterpret_cast<char*>(out), size);
}

struct Call {
    std::string method = "PUT", key{}, payloadHash{};  // "" for the body's own hash
    std::map<std::string, std::string> extra{};        // further headers, lower-case names
    std::set<std::string> leftOut{};                   // headers sent but not signed
    std::string accessKey = kAccessKey, secret = kSecretKey;
    std::chrono::hours skew{0};           // added to the signing time
    const char* authorization = nullptr;  // sent instead of the signed one ("": none)
};

// Sends `call` to /<bucket>/<key> with the body "the body", signed with SigV4 over every header
// but those left out; returns the status and body of the answer.
std::pair<long, std::string> send(const std::string& bucket, const Call& call) {
    const std::string endpoint = serverEndpoint(),
                      body = call.method == "PUT" && !call.key.empty() ? "the body" : "";
    const std::string path = "/" + bucket + (call.key.empty() ? "" : "/" + call.key);
    const std::time_t now =
        std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() + call.skew);
    char date[20];
    std::strftime(date, sizeof date, "%Y%m%dT%H%M%SZ", std::gmtime(&now));
    auto headers = call.extra;
    headers["host"] = endpoint.substr(endpoint.find("//") + 2);
    headers["x-amz-date"] = date;
    headers["x-amz-content-sha256"] = call.payloadHash.empty() ? sha256Hex(body) : call.payloadHash;
    std::string canonical = call.method + "\n" + path + "\n\n", signedNames;
    for (const auto& [name, value] : headers) {
        if (call.leftOut.count(name) != 0) continue;
        canonical += name + ":" + value + "\n";
        signedNames += (signedNames.empty() ? "" : ";") + name;
    }
    canonical += "\n" + signedNames + "\n" + headers["x-amz-content-sha256"];
    const std::string scope = std::string(date, 8) + "/us-east-1/s3/aws4_request";
    std::string key = "AWS4" + call.secret;
    for (const char* part : {"", "us-east-1", "s3", "aws4_request"})
        key = hmac(key, *part ? part : std::string(date, 8));
    const std::string toSign =
        "AWS4-HMAC-SHA256\n" + std::string(date) + "\n" + scope + "\n" + sha256Hex(canonical);
    headers["authorization"] = call.authorization
                                   ? call.authorization
                                   : "AWS4-HMAC-SHA256 Credential=" + call.accessKey + "/" + scope +
                                         ",SignedHeaders=" + signedNames +
                                         ",Signature=" + hex(hmac(key, toSign));
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> list(nullptr, curl_slist_free_all);
    for (const auto& [name, value] : headers) {
        if (!value.empty())
            list.reset(curl_slist_append(list.release(), (name + ": " + value).c_str()));
    }
    CurlHandle curl;
    std::pair<long, std::string> answer;
    curl_easy_setopt(curl.get(), CURLOPT_CUSTOMREQUEST, call.method.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, list.get());
    if (!body.empty()) curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
    curl.collectBodyInto(answer.second);
    EXPECT_EQ(curl.perform(endpoint + path), CURLE_OK) << path;
    answer.first = curl.status();
    return answer;
}

// Also what the store cannot keep; the server goes on serving after each refusal.
TEST(S3ServerTest, AnswersWhatS3AnswersAndRefusesWhatS3Refuses) {
    const std::map<std::string, std::string> note{{"x-amz-meta-note", "n\xC3\xA9"}};
    const struct {
        const char* what;
        long status;
        std::string code;
        Call call;
    } rows[] = {
        {"signed as S3 wants", 200, "", {.extra = note}},
        {"wrong secret", 403, "SignatureDoesNotMatch", {.secret = "not-the-secret"}},
        {"unknown access key", 403, "InvalidAccessKeyId", {.accessKey = "SOMEONE"}},
        {"meta unsigned", 403, "AccessDenied", {.extra = note, .leftOut = {"x-amz-meta-note"}}},
        {"sha256 unsigned", 403, "AccessDenied", {.leftOut = {"x-amz-content-sha256"}}},
        {"x-amz-date unsigned", 403, "AccessDenied", {.leftOut = {"x-amz-date"}}},
        {"host unsigned", 403, "AccessDenied", {.leftOut = {"host"}}},
        {"signed 14 h ahead", 403, "RequestTimeTooSkewed", {.skew = std::chrono::hours(14)}},
        {"wrong body hash", 400, "XAmzContentSHA256Mismatch", {.payloadHash = sha256Hex("")}},
        {"no authorization", 403, "AccessDenied", {.authorization = ""}},
        {"malformed authorization", 400, "AuthorizationHeaderMalformed", {.authorization = "x"}},
        {"NUL in the key", 400, "InvalidArgument", {.key = "nul%00"}},
        // The store names files after the parts of a key, the last with a 22-byte suffix.
        {"255-byte folder part", 200, "", {.key = std::string(255, 'f') + "/x"}},
        {"256-byte folder part", 400, "InvalidArgument", {.key = std::string(256, 'f') + "/x"}},
        {"233-byte last part", 200, "", {.key = std::string(233, 'k')}},
        {"234-byte last part", 400, "InvalidArgument", {.key = std::string(234, 'k')}},
        {"256-byte copy source part",
         400,
         "InvalidArgument",
         {.extra = {{"x-amz-copy-source", "/b/" + std::string(256, 'c')}}}},
    };
    const std::string bucket = uniqueName("front");
    ASSERT_EQ(send(bucket, {}).first, 200);  // creates the bucket
    int n = 0;
    for (auto row : rows) {
        SCOPED_TRACE(row.what);
        if (row.call.key.empty()) row.call.key = "object-" + std::to_string(++n);
        const auto [status, body] = send(bucket, row.call);
        EXPECT_EQ(status, row.status) << body;
        const size_t at = body.find("<Code>"), end = body.find("</Code>");
        EXPECT_EQ(at == std::string::npos ? "" : body.substr(at + 6, end - at - 6), row.code);
        const auto stored = send(bucket, {.method = "GET", .key = row.call.key}).second;
        EXPECT_EQ(stored == "the body", row.status == 200) << stored;
    }
    EXPECT_EQ(requestsFor(bucket).at(1).headers.at("x-amz-meta-note"), "n\xC3\xA9");  // UTF-8
}

}  // namespace
}  // namespace skrw::test
