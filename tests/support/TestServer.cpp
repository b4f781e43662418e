#include "TestServer.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <stdexcept>

#include "CurlHandle.h"
#include "TestEnv.h"

namespace skrw::test {
namespace {

const std::string kStateDir = SKRW_TEST_SERVER_STATE_DIR;

// Performs `curl` set up for `url`; throws naming `what` unless it succeeds.
void perform(CurlHandle& curl, const std::string& url, const std::string& what) {
    const CURLcode rc = curl.perform(url);
    if (rc != CURLE_OK) throw std::runtime_error(what + url + " (" + curl_easy_strerror(rc) + ")");
}

}  // namespace

std::string serverEndpoint() {
    std::string endpoint = readFile(kStateDir + "/endpoint");
    endpoint = endpoint.substr(0, endpoint.find('\n'));
    if (endpoint.empty()) {
        throw std::runtime_error("the local S3 test server is not running (no " + kStateDir +
                                 "/endpoint); run the tests through ctest");
    }
    CurlHandle curl;
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);  // nothing reaches the record
    perform(curl, endpoint, "the local S3 test server is not running: no connection to ");
    return endpoint;
}

void useServerEndpoint() {
    ::setenv("AWS_ENDPOINT_URL_S3", serverEndpoint().c_str(), 1);
    ::unsetenv("AWS_ENDPOINT_URL");
}

std::string uniqueName(std::string_view prefix) {
    static std::atomic<unsigned> counter{0};
    std::string suffix = "-";
    suffix += std::to_string(std::random_device()() & 0xFFFFFF) + "-" + std::to_string(::getpid()) +
              "-" + std::to_string(counter++);
    std::string name;
    for (const char c : prefix) {
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        name += (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') ? lower : '-';
    }
    if (name.empty() || name[0] == '-' || name.starts_with("xn--")) name.insert(name.begin(), 't');
    return name.substr(0, 63 - suffix.size()) + suffix;
}

std::vector<RecordedRequest> recordedRequests() {
    std::ifstream log(kStateDir + "/requests.jsonl");
    if (!log) serverEndpoint();  // explains a server that is not running
    std::vector<RecordedRequest> requests;
    for (std::string line; std::getline(log, line);) {
        if (log.eof()) break;  // a last line without its line feed is still being written
        const auto record = nlohmann::json::parse(line);
        requests.push_back({record.at("method"), record.at("target"), record.at("headers")});
    }
    return requests;
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

namespace {

void changeOn(const std::string& control, const std::string& bucket, const std::string& key,
              const std::string& path, const std::string& change) {
    const std::string body =
        nlohmann::json{{"bucket", bucket}, {"key", key}, {"path", path}, {"change", change}}.dump();
    CurlHandle curl;
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
    perform(curl, serverEndpoint() + "/_skrw_test/" + control, "test server control ");
    if (curl.status() != 200)
        throw std::runtime_error(control + " answered " + std::to_string(curl.status()));
}

}  // namespace

void changeOnPut(const std::string& bucket, const std::string& key, const std::string& path,
                 const std::string& change) {
    changeOn("change-on-put", bucket, key, path, change);
}

void changeOnGet(const std::string& bucket, const std::string& key, const std::string& path,
                 const std::string& change) {
    changeOn("change-on-get", bucket, key, path, change);
}

}  // namespace skrw::test
