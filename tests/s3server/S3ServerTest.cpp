// The verifying front answers a request signed as S3 wants it and refuses, before the store sees
// it, what S3 refuses: a wrong signature or access key, host or an x-amz-* header left unsigned, a
// signing time far from now, a body that does not match its signed hash. The requests are signed
// here, independently of the product's signer.
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

#include "TestServer.h"

namespace skrw::test {
namespace {

using namespace std::chrono_literals;

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
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

std::string amzDate(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[20];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

struct Call {
    std::string method = "PUT";
    std::string key{};
    std::string body{};
    std::string payloadHash{};                   // "" for the body's own
    std::map<std::string, std::string> extra{};  // further headers, lower-case names
    std::set<std::string> leftOut{};             // headers sent but not signed
    std::string accessKey = kAccessKey;
    std::string secret = kSecretKey;
    std::chrono::hours skew{0};  // added to the signing time
};

struct Answer {
    long status = 0;
    std::string body;
};

size_t collect(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// Sends `call` to /<bucket>/<key>, signed with SigV4 over every header but those left out.
Answer send(const std::string& bucket, const Call& call) {
    const std::string endpoint = serverEndpoint();
    const std::string path = "/" + bucket + (call.key.empty() ? "" : "/" + call.key);
    const std::string date = amzDate(std::chrono::system_clock::now() + call.skew);
    auto headers = call.extra;
    headers["host"] = endpoint.substr(endpoint.find("//") + 2);
    headers["x-amz-date"] = date;
    headers["x-amz-content-sha256"] =
        call.payloadHash.empty() ? sha256Hex(call.body) : call.payloadHash;
    std::string canonical = call.method + "\n" + path + "\n\n", signedNames;
    for (const auto& [name, value] : headers) {
        if (call.leftOut.count(name) != 0) continue;
        canonical += name + ":" + value + "\n";
        signedNames += (signedNames.empty() ? "" : ";") + name;
    }
    canonical += "\n" + signedNames + "\n" + headers["x-amz-content-sha256"];
    const std::string scope = date.substr(0, 8) + "/us-east-1/s3/aws4_request";
    std::string key = "AWS4" + call.secret;
    for (const std::string& part : {date.substr(0, 8), std::string("us-east-1"), std::string("s3"),
                                    std::string("aws4_request")}) {
        key = hmac(key, part);
    }
    const std::string toSign =
        "AWS4-HMAC-SHA256\n" + date + "\n" + scope + "\n" + sha256Hex(canonical);
    headers["authorization"] = "AWS4-HMAC-SHA256 Credential=" + call.accessKey + "/" + scope +
                               ",SignedHeaders=" + signedNames +
                               ",Signature=" + hex(hmac(key, toSign));

    std::unique_ptr<curl_slist, void (*)(curl_slist*)> list(nullptr, curl_slist_free_all);
    for (const auto& [name, value] : headers) {
        list.reset(curl_slist_append(list.release(), (name + ": " + value).c_str()));
    }
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    const std::string url = endpoint + path;
    Answer answer;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_CUSTOMREQUEST, call.method.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, list.get());
    if (call.method == "PUT") {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, call.body.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(call.body.size()));
    }
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer.body);
    EXPECT_EQ(curl_easy_perform(curl.get()), CURLE_OK) << url;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

TEST(S3ServerTest, AnswersWhatS3AnswersAndRefusesWhatS3Refuses) {
    struct Row {
        const char* what;
        Call call;
        long status;
        std::string code;
    };
    const Row rows[] = {
        {"signed as S3 wants", {.extra = {{"x-amz-meta-note", "n"}}}, 200, ""},
        {"wrong secret", {.secret = "not-the-secret"}, 403, "SignatureDoesNotMatch"},
        {"unknown access key", {.accessKey = "SOMEONE"}, 403, "InvalidAccessKeyId"},
        {"x-amz-meta-note unsigned",
         {.extra = {{"x-amz-meta-note", "n"}}, .leftOut = {"x-amz-meta-note"}},
         403,
         "AccessDenied"},
        {"x-amz-content-sha256 unsigned",
         {.leftOut = {"x-amz-content-sha256"}},
         403,
         "AccessDenied"},
        {"x-amz-date unsigned", {.leftOut = {"x-amz-date"}}, 403, "AccessDenied"},
        {"host unsigned", {.leftOut = {"host"}}, 403, "AccessDenied"},
        {"signed 14 h ahead", {.skew = 14h}, 403, "RequestTimeTooSkewed"},
        {"body not the one hashed",
         {.payloadHash = sha256Hex("another body")},
         400,
         "XAmzContentSHA256Mismatch"},
    };
    const std::string bucket = uniqueName("front");
    ASSERT_EQ(send(bucket, {}).status, 200);  // creates the bucket
    int n = 0;
    for (Row row : rows) {
        SCOPED_TRACE(row.what);
        row.call.key = "object-" + std::to_string(++n);
        row.call.body = "the body";
        const Answer answer = send(bucket, row.call);
        EXPECT_EQ(answer.status, row.status) << answer.body;
        const size_t at = answer.body.find("<Code>");
        const size_t code = at == std::string::npos ? answer.body.size() : at + 6;
        EXPECT_EQ(answer.body.substr(code, answer.body.find('<', code) - code), row.code);
        const Answer stored = send(bucket, {.method = "GET", .key = row.call.key});
        EXPECT_EQ(stored.status, row.status == 200 ? 200 : 404);
        EXPECT_EQ(stored.body.find("the body"), row.status == 200 ? 0 : std::string::npos);
    }
}

}  // namespace
}  // namespace skrw::test
