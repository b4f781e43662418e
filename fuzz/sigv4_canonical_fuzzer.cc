// The canonical forms that SigV4 signs: percent-encoding of keys and query
// values, the canonical query and the canonical request. What the service
// recomputes from the bytes on the wire must be what was signed, so every
// encoding has to be reversible, use only the unreserved characters and
// "%XX", and keep the "/"s of a key where they were.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "Signer.h"
#include "UriEncoding.h"

namespace {

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower-case hex is not canonical
}

// Decodes text that may hold only unreserved characters, "%XX" (upper-case
// hex) and the characters in `kept`; false when anything else appears.
bool decodeCanonical(std::string_view encoded, std::string_view kept, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (isUnreserved(c) || kept.find(c) != std::string_view::npos) {
            out.push_back(c);
        } else if (c == '%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
                   hexValue(encoded[i + 2]) >= 0) {
            out.push_back(
                static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2])));
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

void checkUriEncode(const std::string& text) {
    const std::string encoded = skrw::aws::uriEncode(text);
    std::string decoded;
    SKRW_FUZZ_CHECK(decodeCanonical(encoded, "", decoded));
    SKRW_FUZZ_CHECK(decoded == text);
}

void checkPathSegments(const std::string& key) {
    const std::string encoded = skrw::aws::encodePathSegments(key);
    std::string decoded;
    SKRW_FUZZ_CHECK(decodeCanonical(encoded, "/", decoded));
    SKRW_FUZZ_CHECK(decoded == key);
    // Encoding segment by segment never merges or drops a "/".
    std::size_t slashes = 0;
    for (char c : encoded) slashes += c == '/';
    std::size_t keySlashes = 0;
    for (char c : key) keySlashes += c == '/';
    SKRW_FUZZ_CHECK(slashes == keySlashes);
}

void checkCanonicalQuery(const std::vector<skrw::aws::QueryParameter>& parameters) {
    const std::string query = skrw::aws::canonicalQuery(parameters);
    if (parameters.empty()) {
        SKRW_FUZZ_CHECK(query.empty());
        return;
    }
    // Split back into pairs: one "&" per parameter boundary, one "=" per pair,
    // since both are always encoded inside names and values.
    std::vector<std::string> names;
    std::size_t start = 0;
    std::size_t pairs = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string_view pair(query.data() + start, end - start);
        const std::size_t equals = pair.find('=');
        SKRW_FUZZ_CHECK(equals != std::string_view::npos);
        SKRW_FUZZ_CHECK(pair.find('=', equals + 1) == std::string_view::npos);
        std::string name;
        std::string value;
        SKRW_FUZZ_CHECK(decodeCanonical(pair.substr(0, equals), "", name));
        SKRW_FUZZ_CHECK(decodeCanonical(pair.substr(equals + 1), "", value));
        names.emplace_back(pair.substr(0, equals));
        ++pairs;
        start = end + 1;
    }
    SKRW_FUZZ_CHECK(pairs == parameters.size());
    for (std::size_t i = 1; i < names.size(); ++i) SKRW_FUZZ_CHECK(names[i - 1] <= names[i]);
}

void checkCanonicalRequest(FuzzedDataProvider& input, const std::string& key,
                           const std::vector<skrw::aws::QueryParameter>& parameters) {
    std::vector<skrw::aws::Header> headers;
    const std::size_t headerCount = input.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < headerCount; ++i) {
        std::string name = input.ConsumeRandomLengthString(32);
        std::string value = input.ConsumeRandomLengthString(64);
        headers.push_back({std::move(name), std::move(value)});
    }
    const std::string path = "/" + skrw::aws::encodePathSegments(key);
    const std::string query = skrw::aws::canonicalQuery(parameters);
    const skrw::aws::CanonicalInput canonical{"GET", path, query, &headers,
                                              skrw::aws::kUnsignedPayload};
    const std::string request = skrw::aws::canonicalRequest(canonical);
    // Method, path and query lines come first, exactly as given.
    SKRW_FUZZ_CHECK(request.rfind("GET\n" + path + "\n" + query + "\n", 0) == 0);
    SKRW_FUZZ_CHECK(request.size() >= skrw::aws::kUnsignedPayload.size());
    SKRW_FUZZ_CHECK(request.compare(request.size() - skrw::aws::kUnsignedPayload.size(),
                                    std::string::npos, skrw::aws::kUnsignedPayload) == 0);

    const std::string date = "20240102T030405Z";
    const std::string scope = skrw::aws::credentialScope(date, "us-east-1", "s3");
    const std::string toSign = skrw::aws::stringToSign(date, scope, request);
    const std::string signature =
        skrw::aws::signature(skrw::aws::signingKey("secret", date, "us-east-1", "s3"), toSign);
    SKRW_FUZZ_CHECK(signature.size() == 64);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string key = input.ConsumeRandomLengthString(256);
    checkUriEncode(key);
    checkPathSegments(key);

    std::vector<skrw::aws::QueryParameter> parameters;
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 8);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = input.ConsumeRandomLengthString(32);
        std::string value = input.ConsumeRandomLengthString(64);
        parameters.emplace_back(std::move(name), std::move(value));
    }
    checkCanonicalQuery(parameters);
    checkCanonicalRequest(input, key, parameters);
    return 0;
}
