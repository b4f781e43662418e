#include "SignedCurl.h"

#include <curl/curl.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "TestServer.h"

namespace skrw::test {
namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct UploadSource {
    const std::string* data;
    size_t offset = 0;
};

size_t readBody(char* buffer, size_t size, size_t count, void* source) {
    auto* upload = static_cast<UploadSource*>(source);
    size_t n = std::min(size * count, upload->data->size() - upload->offset);
    std::memcpy(buffer, upload->data->data() + upload->offset, n);
    upload->offset += n;
    return n;
}

size_t collectBody(char* data, size_t size, size_t count, void* answer) {
    static_cast<HttpAnswer*>(answer)->body.append(data, size * count);
    return size * count;
}

size_t collectHeader(char* data, size_t size, size_t count, void* answer) {
    std::string line(data, size * count);
    size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        value.erase(value.find_last_not_of("\r\n") + 1);
        static_cast<HttpAnswer*>(answer)->headers[name] = value;
    }
    return size * count;
}

}  // namespace

HttpAnswer send(const HttpCall& call) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) throw std::runtime_error("curl_easy_init failed");
    CURL* h = curl.get();
    const std::string url = serverEndpoint() + call.target;
    curl_slist* list = nullptr;
    for (const auto& header : call.headers) list = curl_slist_append(list, header.c_str());
    if (!call.contentSha256.empty()) {
        list = curl_slist_append(list, ("x-amz-content-sha256: " + call.contentSha256).c_str());
    }
    std::unique_ptr<curl_slist, SlistDeleter> headers(list);
    const std::string userpwd = call.accessKey + ":" + call.secretKey;
    HttpAnswer answer;
    UploadSource upload{&call.body};

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 120L);
    if (call.sign) {
        curl_easy_setopt(h, CURLOPT_AWS_SIGV4, "aws:amz:us-east-1:s3");
        curl_easy_setopt(h, CURLOPT_USERPWD, userpwd.c_str());
    }
    if (call.hasBody) {
        curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(h, CURLOPT_READFUNCTION, readBody);
        curl_easy_setopt(h, CURLOPT_READDATA, &upload);
        curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(call.body.size()));
    }
    if (call.method == "HEAD") {
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    } else if (call.method != "GET" || call.hasBody) {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, call.method.c_str());
    }
    const CURLcode rc = curl_easy_perform(h);
    if (rc != CURLE_OK) {
        throw std::runtime_error(call.method + " " + url + ": " + curl_easy_strerror(rc));
    }
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

std::string sha256Hex(const std::string& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    std::string hex;
    char pair[3];
    for (unsigned char byte : digest) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

}  // namespace skrw::test
