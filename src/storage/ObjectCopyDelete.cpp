// Copying an object inside the service and deleting an object.
#include "storage/SKFuncs.h"
#include "storage/ServiceClient.h"

using skrw::platform::String;
using namespace skrw::storage;

bool SKFuncs::copyObjectFromSourceBucket(const String& sourceBucket, const String& sourceKey,
                                         const String& destinationBucket,
                                         const String& destinationKey) {
    m_error.clearError();
    if (!isAuthenticated(m_credentials)) {
        recordFailure(m_error, kNotAuthenticated, kServiceFailureCode, "");
        return false;
    }
    if (!isGiven(sourceBucket) || !isGiven(destinationBucket)) {
        recordFailure(m_error, "Source or destination folder ID is missing.", kBadArgumentCode,
                      "copyObject");
        return false;
    }
    if (!isGiven(sourceKey) || !isGiven(destinationKey)) {
        recordFailure(m_error, "Source or destination object ID is missing.", kBadArgumentCode,
                      "copyObject");
        return false;
    }
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    Aws::S3::Model::CopyObjectRequest request;
    // Plain text: the request encodes the copy source once itself.
    request.SetCopySource(sourceBucket.utf8() + "/" + sourceKey.utf8());
    request.SetBucket(destinationBucket.utf8());
    request.SetKey(destinationKey.utf8());
    const auto outcome = client->CopyObject(request);
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), "CopyObject");
        return false;
    }
    return true;
}

bool SKFuncs::deleteObject(const String& bucket, const String& key) {
    static const char kSource[] = "DeleteObject";
    m_error.clearError();
    if (!hasOperands(m_error, kSource, m_credentials, bucket, &key)) return false;
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    Aws::S3::Model::DeleteObjectRequest request;
    request.SetBucket(bucket.utf8());
    request.SetKey(key.utf8());
    const auto outcome = client->DeleteObject(request);
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kSource);
        return false;
    }
    return true;
}
