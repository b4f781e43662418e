#include "Endpoint.h"

#include <cstdlib>

#include "UriEncoding.h"

namespace skrw::aws {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLowerAlnum(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z');
}

std::string_view hostWithoutPort(std::string_view hostAndPort) {
    if (!hostAndPort.empty() && hostAndPort.front() == '[') {
        const std::size_t close = hostAndPort.find(']');
        return close == std::string_view::npos ? hostAndPort : hostAndPort.substr(0, close + 1);
    }
    return hostAndPort.substr(0, hostAndPort.find(':'));
}

bool isIpv4(std::string_view host) {
    int parts = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = host.find('.', start);
        const std::string_view part = host.substr(start, dot - start);
        if (part.empty() || part.size() > 3) return false;
        int value = 0;
        for (char c : part) {
            if (!isDigit(c)) return false;
            value = value * 10 + (c - '0');
        }
        if (value > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts == 4;
}

const char* environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

}  // namespace

std::optional<Endpoint> parseEndpointUrl(std::string_view url) {
    Endpoint endpoint;
    constexpr std::string_view kHttp = "http://", kHttps = "https://";
    if (url.substr(0, kHttps.size()) == kHttps) {
        url.remove_prefix(kHttps.size());
    } else if (url.substr(0, kHttp.size()) == kHttp) {
        endpoint.https = false;
        url.remove_prefix(kHttp.size());
    } else {
        return std::nullopt;
    }
    const std::size_t slash = url.find('/');
    endpoint.host = std::string(url.substr(0, slash));
    if (endpoint.host.empty()) return std::nullopt;
    if (slash != std::string_view::npos) {
        std::string_view path = url.substr(slash);
        while (!path.empty() && path.back() == '/') path.remove_suffix(1);
        endpoint.basePath = std::string(path);
    }
    endpoint.forcePathStyle = isIpAddressHost(endpoint.host);
    return endpoint;
}

std::optional<Endpoint> endpointFromEnvironment() {
    const char* url = environmentValue("AWS_ENDPOINT_URL_S3");
    if (url == nullptr) url = environmentValue("AWS_ENDPOINT_URL");
    if (url == nullptr) return std::nullopt;
    return parseEndpointUrl(url);
}

bool isValidRegionName(std::string_view region) {
    if (region.empty()) return false;
    for (char c : region) {
        if (!isLowerAlnum(c) && !(c >= 'A' && c <= 'Z') && c != '-') return false;
    }
    return true;
}

Endpoint defaultEndpoint(std::string_view region, bool https) {
    Endpoint endpoint;
    endpoint.https = https;
    if (region == "us-east-1") {
        endpoint.host = "s3.amazonaws.com";
    } else {
        endpoint.host = "s3." + std::string(region) + ".amazonaws.com";
        if (region.substr(0, 3) == "cn-") endpoint.host += ".cn";
    }
    return endpoint;
}

bool isVirtualHostBucket(std::string_view bucket) {
    if (bucket.size() < 3 || bucket.size() > 63) return false;
    if (!isLowerAlnum(bucket.front()) || !isLowerAlnum(bucket.back())) return false;
    for (char c : bucket) {
        if (!isLowerAlnum(c) && c != '-') return false;
    }
    return true;
}

bool isIpAddressHost(std::string_view hostAndPort) {
    const std::string_view host = hostWithoutPort(hostAndPort);
    if (!host.empty() && host.front() == '[') return true;
    return isIpv4(host);
}

RequestAddress addressFor(const Endpoint& endpoint, bool useVirtualAddressing,
                          std::string_view bucket, const std::optional<std::string>& key,
                          std::string_view query) {
    RequestAddress address;
    const bool virtualHost = !bucket.empty() && useVirtualAddressing && !endpoint.forcePathStyle &&
                             isVirtualHostBucket(bucket);
    std::string path = endpoint.basePath;
    if (virtualHost) {
        address.host = std::string(bucket) + "." + endpoint.host;
        path += "/";
    } else {
        address.host = endpoint.host;
        path += "/";
        if (!bucket.empty()) {
            path += uriEncode(bucket);
            if (key) path += "/";
        }
    }
    if (key) path += encodePathSegments(*key);
    address.encodedPath = path;
    address.url = (endpoint.https ? "https://" : "http://") + address.host + path;
    if (!query.empty()) address.url.append("?").append(query);
    return address;
}

}  // namespace skrw::aws
