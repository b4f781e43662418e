// A minimal S3 client for testing the test server itself: libcurl with its own SigV4 signing
// (the same signer as `curl --aws-sigv4`), path-style requests to the server's endpoint.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace skrw::test {

struct HttpAnswer {
    long status = 0;
    std::string body;
    std::map<std::string, std::string> headers;  // lower-case names
};

struct HttpCall {
    std::string method = "GET";
    std::string target;  // raw path and query, sent as written, e.g. "/b/a%20b?x-id=GetObject"
    std::string body;
    bool hasBody = false;
    std::vector<std::string> headers;  // "Name: value"
    // Signing: the access key and secret, or no signature at all.
    bool sign = true;
    std::string accessKey = "S3RVER";
    std::string secretKey = "S3RVER";
    // The x-amz-content-sha256 header: "UNSIGNED-PAYLOAD", a hex SHA-256, or "" for none.
    std::string contentSha256 = "UNSIGNED-PAYLOAD";
};

// Sends `call` to serverEndpoint(); throws std::runtime_error when no answer arrives.
HttpAnswer send(const HttpCall& call);

// SHA-256 of `data` as lower-case hex.
std::string sha256Hex(const std::string& data);

}  // namespace skrw::test
