// Creating and deleting buckets.
#include "storage/SKFuncs.h"
#include "storage/ServiceClient.h"

using skrw::platform::String;
using namespace skrw::storage;

namespace {

Aws::S3::Model::CreateBucketRequest creationRequest(const String& bucket, const String& region) {
    Aws::S3::Model::CreateBucketRequest request;
    request.SetBucket(bucket.utf8());
    const auto constraint = GetRegion(region);
    // The service refuses "us-east-1" as a location constraint: a bucket there is created
    // without a configuration.
    if (constraint != Aws::S3::Model::BucketLocationConstraint::us_east_1) {
        Aws::S3::Model::CreateBucketConfiguration configuration;
        configuration.SetLocationConstraint(constraint);
        request.SetCreateBucketConfiguration(configuration);
    }
    return request;
}

}  // namespace

bool SKFuncs::createBucket(const String& bucket) {
    static const char kSource[] = "CreateFolder";
    m_error.clearError();
    if (!hasOperands(m_error, kSource, m_credentials, bucket)) return false;
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    const auto outcome = client->CreateBucket(creationRequest(bucket, m_region));
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kSource);
        return false;
    }
    return true;
}

bool SKFuncs::deleteBucket(const String& bucket) {
    static const char kSource[] = "DeleteFolder";
    m_error.clearError();
    if (!hasOperands(m_error, kSource, m_credentials, bucket)) return false;
    ServiceClient client(m_credentials, clientConfiguration(m_region));
    Aws::S3::Model::DeleteBucketRequest request;
    request.SetBucket(bucket.utf8());
    const auto outcome = client->DeleteBucket(request);
    if (!outcome.IsSuccess()) {
        recordServiceFailure(m_error, outcome.GetError(), kSource);
        return false;
    }
    return true;
}
