// The test server's control requests: plain HTTP to endpoints that the server answers itself,
// unsigned, without passing them on to the S3 store.
#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "TestServer.h"

namespace skrw::test {
namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// A JSON string literal holding `text` (UTF-8 passed through, quotes, backslashes and control
// characters escaped).
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

size_t collect(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// POSTs a JSON body to a control path of the server; throws unless it answers 200.
void postControl(const std::string& path, const std::string& body) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) throw std::runtime_error("curl_easy_init failed");
    std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/json"));
    const std::string url = serverEndpoint() + path;
    std::string answer;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L);
    const CURLcode rc = curl_easy_perform(curl.get());
    if (rc != CURLE_OK) {
        throw std::runtime_error("test server control " + path + ": " + curl_easy_strerror(rc));
    }
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        throw std::runtime_error("test server control " + path + " answered " +
                                 std::to_string(status) + ": " + answer);
    }
}

}  // namespace

void changeOnPut(const std::string& bucket, const std::string& key, const std::string& path,
                 const std::string& change) {
    postControl("/_skrw_test/change-on-put", "{\"bucket\": " + jsonString(bucket) +
                                                 ", \"key\": " + jsonString(key) +
                                                 ", \"path\": " + jsonString(path) +
                                                 ", \"change\": " + jsonString(change) + "}");
}

}  // namespace skrw::test
