// One page of a bucket's contents, kept as the last listing, and the properties read from it.
#include <cstdint>
#include <string>

#include "storage/ListingProperties.h"
#include "storage/SKFuncs.h"
#include "storage/ServiceClient.h"

using skrw::platform::String;
using namespace skrw::storage;

namespace {

const char kGetFolder[] = "GetFolder";
const char kPropertySource[] = "getPropertyForFolder";
const char kEmptyListingSource[] = "getPropertyforFolder";
constexpr int kDefaultMaxKeys = 1000;

// The text's leading number, sent as its low 32 bits: no range check, the service decides.
int maxKeysValue(const String& maxKeys) {
    if (!isGiven(maxKeys)) return kDefaultMaxKeys;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(maxKeys.integerValue()));
}

Aws::S3::Model::ListObjectsV2Request listingRequest(const String& bucket, const String& prefix,
                                                    const String& delimiter, const String& maxKeys,
                                                    const String& continuationToken) {
    Aws::S3::Model::ListObjectsV2Request request;
    request.SetBucket(bucket.utf8());
    if (isGiven(prefix)) request.SetPrefix(prefix.utf8());
    if (isGiven(delimiter)) request.SetDelimiter(delimiter.utf8());
    request.SetMaxKeys(maxKeysValue(maxKeys));
    // Only an absent token is left out: an empty one is sent empty.
    if (!continuationToken.isNull()) request.SetContinuationToken(continuationToken.utf8());
    return request;
}

}  // namespace

bool SKFuncs::getBucket(const String& bucket, const String& prefix, const String& delimiter,
                        const String& maxKeys, const String& continuationToken) {
    m_error.clearError();
    if (m_module != 1) {
        recordFailure(m_error, kInvalidModule, kInvalidModuleCode, "getBucket");
        return false;
    }
    if (!isAuthenticated(m_credentials)) {
        recordFailure(m_error, kNotAuthenticated, kServiceFailureCode, kGetFolder);
        return false;
    }
    if (!isGiven(bucket)) {
        recordFailure(m_error, "Bucket name/ID must be specified.", kServiceFailureCode,
                      kGetFolder);
        return false;
    }
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    const auto outcome = client->ListObjectsV2(
        listingRequest(bucket, prefix, delimiter, maxKeys, continuationToken));
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kGetFolder);
        return false;
    }
    const auto& result = outcome.GetResult();
    m_contents.assign(result.GetContents().begin(), result.GetContents().end());
    m_isTruncated = result.GetIsTruncated();
    // A token is kept only while it leads somewhere: a stale one would page a listing that
    // has ended.
    m_nextToken = m_isTruncated ? String::fromUtf8(result.GetNextContinuationToken()) : String();
    return true;
}

String SKFuncs::getBucketProperty(const String& name, std::int32_t index) {
    m_error.clearError();
    if (!isGiven(name)) {
        recordFailure(m_error, "Property name cannot be blank or null.", kBadArgumentCode,
                      kPropertySource);
        return String::fromUtf8(kErrorAnswer);
    }
    const String property = name.lowercaseString();
    const std::string& key = property.utf8();
    if (key == "keys") {
        std::string list;
        for (const auto& object : m_contents) list.append(object.GetKey()).push_back('\n');
        return String::fromUtf8(list);
    }
    if (key == "count") return String::fromInteger(static_cast<long long>(m_contents.size()));
    if (key == "istruncated") return String::fromUtf8(m_isTruncated ? "true" : "false");
    if (key == "nextcontinuationtoken") {
        return m_nextToken.isNull() ? String::fromUtf8("") : m_nextToken;
    }
    if (m_contents.empty()) {
        recordFailure(m_error, "No folder contents to access", kBadArgumentCode,
                      kEmptyListingSource);
        return String::fromUtf8(kErrorAnswer);
    }
    if (index < 0 || static_cast<std::size_t>(index) >= m_contents.size()) {
        recordFailure(m_error, "Index out of bounds.", kBadArgumentCode, kPropertySource);
        return String::fromUtf8(kErrorAnswer);
    }
    return objectPropertyText(m_contents[static_cast<std::size_t>(index)], property);
}
