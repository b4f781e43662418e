#include "Signer.h"

#include <algorithm>
#include <ctime>

namespace skrw::aws {
namespace {

// Header values are trimmed and runs of blanks inside become one blank.
std::string canonicalValue(std::string_view value) {
    std::string out;
    bool pendingBlank = false;
    for (char c : value) {
        if (c == ' ' || c == '\t') {
            pendingBlank = !out.empty();
            continue;
        }
        if (pendingBlank) out.push_back(' ');
        pendingBlank = false;
        out.push_back(c);
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> sortedHeaders(const std::vector<Header>& headers) {
    std::vector<std::pair<std::string, std::string>> sorted;
    sorted.reserve(headers.size());
    for (const Header& header : headers) {
        sorted.emplace_back(lowerCase(header.name), canonicalValue(header.value));
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return sorted;
}

}  // namespace

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string amzDate(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

std::string signedHeaderList(const std::vector<Header>& headers) {
    std::string out;
    for (const auto& [name, value] : sortedHeaders(headers)) {
        if (!out.empty()) out.push_back(';');
        out += name;
    }
    return out;
}

std::string canonicalRequest(const CanonicalInput& input) {
    std::string out;
    out.append(input.method).push_back('\n');
    out.append(input.encodedPath.empty() ? "/" : input.encodedPath).push_back('\n');
    out.append(input.canonicalQuery).push_back('\n');
    const auto headers = sortedHeaders(*input.headers);
    for (const auto& [name, value] : headers) {
        out.append(name).append(":").append(value).push_back('\n');
    }
    out.push_back('\n');
    out.append(signedHeaderList(*input.headers)).push_back('\n');
    out.append(input.payloadHash);
    return out;
}

std::string credentialScope(std::string_view amzDateText, std::string_view region,
                            std::string_view service) {
    std::string out(amzDateText.substr(0, 8));
    out.append("/").append(region).append("/").append(service).append("/aws4_request");
    return out;
}

std::string stringToSign(std::string_view amzDateText, std::string_view scope,
                         std::string_view canonicalRequestText) {
    std::string out("AWS4-HMAC-SHA256\n");
    out.append(amzDateText).push_back('\n');
    out.append(scope).push_back('\n');
    out.append(toHex(sha256(canonicalRequestText)));
    return out;
}

Sha256Digest signingKey(std::string_view secretKey, std::string_view amzDateText,
                        std::string_view region, std::string_view service) {
    const std::string secret = "AWS4" + std::string(secretKey);
    const Sha256Digest dateKey = hmacSha256(secret, amzDateText.substr(0, 8));
    const Sha256Digest regionKey = hmacSha256(asText(dateKey), region);
    const Sha256Digest serviceKey = hmacSha256(asText(regionKey), service);
    return hmacSha256(asText(serviceKey), "aws4_request");
}

std::string signature(const Sha256Digest& key, std::string_view stringToSignText) {
    return toHex(hmacSha256(asText(key), stringToSignText));
}

std::string authorization(std::string_view accessKeyId, std::string_view scope,
                          std::string_view signedHeaders, std::string_view signatureHex) {
    std::string out("AWS4-HMAC-SHA256 Credential=");
    out.append(accessKeyId).append("/").append(scope);
    out.append(",SignedHeaders=").append(signedHeaders);
    out.append(",Signature=").append(signatureHex);
    return out;
}

}  // namespace skrw::aws
