#include "TestServer.h"

#include <curl/curl.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

#include "RequestLog.h"

namespace skrw::test {
namespace {

constexpr size_t kMaxBucketName = 63;

// The whole file, or nothing when it cannot be opened.
bool readWholeFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return true;
}

// Lower-case letters, digits and "-" only, starting with a letter or digit and not with "xn--"
// (a prefix bucket names may not use).
std::string bucketSafePrefix(std::string_view prefix) {
    std::string out;
    for (char c : prefix) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        out += keep ? c : '-';
    }
    if (out.empty() || out.front() == '-' || out.rfind("xn--", 0) == 0) out.insert(0, 1, 't');
    return out;
}

// Distinct for every call in this process and, through the process id and random bits, for
// calls in other processes of the same run.
std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    std::ostringstream out;
    out << '-' << std::hex << (device() & 0xFFFFFFu) << '-' << std::dec << getpid() << '-'
        << counter.fetch_add(1);
    return out.str();
}

// Throws unless the server takes a connection within seconds. Only connects (CONNECT_ONLY): no
// request reaches the server or its record.
void requireConnection(const std::string& endpoint) {
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) throw std::runtime_error("curl_easy_init failed");
    curl_easy_setopt(curl.get(), CURLOPT_URL, endpoint.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, 5L);
    const CURLcode rc = curl_easy_perform(curl.get());
    if (rc != CURLE_OK) {
        throw std::runtime_error("the local S3 test server is not running: no connection to " +
                                 endpoint + " (" + curl_easy_strerror(rc) + ")");
    }
}

}  // namespace

std::string serverStateDir() {
    return SKRW_TEST_SERVER_STATE_DIR;
}

std::string serverEndpoint() {
    const std::string file = serverStateDir() + "/endpoint";
    std::string endpoint;
    if (!readWholeFile(file, endpoint)) {
        throw std::runtime_error(
            "the local S3 test server is not running (no " + file +
            "); run the tests through ctest so the s3server fixture starts it");
    }
    while (!endpoint.empty() && (endpoint.back() == '\n' || endpoint.back() == '\r' ||
                                 endpoint.back() == ' ' || endpoint.back() == '/')) {
        endpoint.pop_back();
    }
    if (endpoint.empty()) throw std::runtime_error(file + " is empty");
    requireConnection(endpoint);
    return endpoint;
}

void useServerEndpoint() {
    const std::string endpoint = serverEndpoint();
    if (setenv("AWS_ENDPOINT_URL_S3", endpoint.c_str(), 1) != 0 ||
        unsetenv("AWS_ENDPOINT_URL") != 0) {
        throw std::runtime_error("cannot set the endpoint variables");
    }
}

std::string uniqueName(std::string_view prefix) {
    const std::string suffix = uniqueSuffix();
    std::string name = bucketSafePrefix(prefix);
    if (name.size() + suffix.size() > kMaxBucketName) name.resize(kMaxBucketName - suffix.size());
    return name + suffix;
}

std::vector<RecordedRequest> recordedRequests() {
    const std::string file = serverStateDir() + "/requests.jsonl";
    std::string contents;
    if (!readWholeFile(file, contents)) {
        serverEndpoint();  // explains a server that is not running
        return {};         // running, but nothing received yet
    }
    return parseRequestLog(contents);
}

std::vector<RecordedRequest> requestsFor(const std::string& bucket) {
    std::vector<RecordedRequest> found;
    const std::string base = "/" + bucket;
    for (auto& request : recordedRequests()) {
        const std::string& t = request.target;
        const auto host = request.headers.find("host");
        if (t == base || t.starts_with(base + "/") || t.starts_with(base + "?") ||
            (host != request.headers.end() && host->second.starts_with(bucket + "."))) {
            found.push_back(std::move(request));
        }
    }
    return found;
}

}  // namespace skrw::test
