#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Crypto.h"

namespace skrw::aws {

// Signature Version 4 as a chain of pure steps. Nothing here reads a clock or
// the environment: the time and the credentials are arguments, so every step
// can be checked on its own against known examples.
//
// The caller sends exactly the headers it signs (with the values given here)
// and must not sign headers that something on the way may change or add:
// user-agent, expect, accept.

inline constexpr std::string_view kUnsignedPayload = "UNSIGNED-PAYLOAD";
inline constexpr std::string_view kEmptyPayloadHash =
    "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

struct Header {
    std::string name;  // any case; lower-cased when signed
    std::string value;
};

struct CanonicalInput {
    std::string_view method;          // "GET", "PUT", ...
    std::string_view encodedPath;     // the path exactly as sent, already percent-encoded
    std::string_view canonicalQuery;  // see canonicalQuery() in UriEncoding.h
    const std::vector<Header>* headers;
    std::string_view payloadHash;  // hex SHA-256 of the body, or kUnsignedPayload
};

// The text with A-Z lower-cased and every other byte kept: header names are compared and signed
// so.
std::string lowerCase(std::string_view text);

// "20130524T000000Z".
std::string amzDate(std::chrono::system_clock::time_point time);

// "host;range;x-amz-date": lower-case names, sorted, ";"-joined.
std::string signedHeaderList(const std::vector<Header>& headers);

std::string canonicalRequest(const CanonicalInput& input);

// "20130524/us-east-1/s3/aws4_request".
std::string credentialScope(std::string_view amzDateText, std::string_view region,
                            std::string_view service);

std::string stringToSign(std::string_view amzDateText, std::string_view scope,
                         std::string_view canonicalRequestText);

Sha256Digest signingKey(std::string_view secretKey, std::string_view amzDateText,
                        std::string_view region, std::string_view service);

std::string signature(const Sha256Digest& key, std::string_view stringToSignText);

// The Authorization header's value.
std::string authorization(std::string_view accessKeyId, std::string_view scope,
                          std::string_view signedHeaders, std::string_view signatureHex);

}  // namespace skrw::aws
