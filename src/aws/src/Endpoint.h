#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace skrw::aws {

// Where requests go: scheme, host (with ":port" when one is given) and a base
// path that precedes every request path ("" or "/prefix", no trailing "/").
struct Endpoint {
    bool https = true;
    std::string host;
    std::string basePath;
    bool forcePathStyle = false;  // an IP-address host cannot carry a bucket label
};

// The endpoint named by AWS_ENDPOINT_URL_S3, else AWS_ENDPOINT_URL (the first
// one set and non-empty); nothing when neither is set or the URL is not of the
// form http[s]://host[:port][/path].
[[nodiscard]] std::optional<Endpoint> endpointFromEnvironment();

// Parses "http[s]://host[:port][/path]".
[[nodiscard]] std::optional<Endpoint> parseEndpointUrl(std::string_view url);

// True for a region name that can form a host name: letters, digits and "-",
// not empty.
[[nodiscard]] bool isValidRegionName(std::string_view region);

// The region's default S3 endpoint: s3.amazonaws.com for us-east-1,
// s3.<region>.amazonaws.com.cn for cn- regions, s3.<region>.amazonaws.com
// otherwise.
Endpoint defaultEndpoint(std::string_view region, bool https);

// True for a bucket name usable as a host label: 3 to 63 lower-case letters,
// digits and hyphens, beginning and ending with a letter or digit.
[[nodiscard]] bool isVirtualHostBucket(std::string_view bucket);

// True for an IPv4 dotted quad or a bracketed IPv6 literal (port ignored).
[[nodiscard]] bool isIpAddressHost(std::string_view hostAndPort);

// The pieces of one request's address.
struct RequestAddress {
    std::string url;          // scheme://host/path?query, path as encoded
    std::string host;         // the Host header's value, signed
    std::string encodedPath;  // the canonical URI
};

// Addresses a bucket (and a key when non-empty; keyed requests always name
// the key, even an empty bucket-level path) virtual-host style when allowed
// and possible, path style otherwise.
RequestAddress addressFor(const Endpoint& endpoint, bool useVirtualAddressing,
                          std::string_view bucket, const std::optional<std::string>& key,
                          std::string_view query);

}  // namespace skrw::aws
