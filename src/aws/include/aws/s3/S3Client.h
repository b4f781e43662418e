#pragma once

#include <aws/core/NoResult.h>
#include <aws/core/auth/AWSAuthSigner.h>
#include <aws/core/auth/AWSCredentials.h>
#include <aws/core/client/ClientConfiguration.h>
#include <aws/core/utils/Outcome.h>
#include <aws/s3/S3Errors.h>
#include <aws/s3/model/CopyObjectRequest.h>
#include <aws/s3/model/CopyObjectResult.h>
#include <aws/s3/model/CreateBucketRequest.h>
#include <aws/s3/model/CreateBucketResult.h>
#include <aws/s3/model/DeleteBucketRequest.h>
#include <aws/s3/model/DeleteObjectRequest.h>
#include <aws/s3/model/DeleteObjectResult.h>
#include <aws/s3/model/GetObjectRequest.h>
#include <aws/s3/model/GetObjectResult.h>
#include <aws/s3/model/ListBucketsResult.h>
#include <aws/s3/model/ListObjectsV2Request.h>
#include <aws/s3/model/ListObjectsV2Result.h>
#include <aws/s3/model/PutObjectRequest.h>
#include <aws/s3/model/PutObjectResult.h>

#include <memory>

namespace Aws::S3 {

namespace Model {
using ListBucketsOutcome = Aws::Utils::Outcome<ListBucketsResult, S3Error>;
using ListObjectsV2Outcome = Aws::Utils::Outcome<ListObjectsV2Result, S3Error>;
using CreateBucketOutcome = Aws::Utils::Outcome<CreateBucketResult, S3Error>;
using DeleteBucketOutcome = Aws::Utils::Outcome<Aws::NoResult, S3Error>;
using GetObjectOutcome = Aws::Utils::Outcome<GetObjectResult, S3Error>;
using PutObjectOutcome = Aws::Utils::Outcome<PutObjectResult, S3Error>;
using CopyObjectOutcome = Aws::Utils::Outcome<CopyObjectResult, S3Error>;
using DeleteObjectOutcome = Aws::Utils::Outcome<DeleteObjectResult, S3Error>;
}  // namespace Model

// A client of the S3 service. Each operation makes one synchronous request on
// the caller's thread, retrying transport failures, 5xx answers, throttling
// and clock skew with exponential back-off (at most configuration.maxRetries
// retries, 25 ms * 2^n; SKRW_AWS_RETRY_BASE_DELAY_MS in the environment sets
// the base). An answer's head must be complete within 120 s of the end of its
// request (SKRW_AWS_HEAD_TIMEOUT_MS in milliseconds sets the bound), and an
// upload succeeds only when its whole body was sent. No operation throws:
// every failure is an outcome whose error message is the service's
// <Message>, "No response body." for an error status without a body, or
// "Unable to connect to endpoint: " and the transport's description.
// Redirects are not followed.
//
// The endpoint is read from AWS_ENDPOINT_URL_S3, else AWS_ENDPOINT_URL, when
// one is set (path-style addressing when its host is an IP address), otherwise
// the configuration region's default endpoint over the configuration's scheme.
// Bucket names that are valid DNS labels are addressed virtual-host style when
// useVirtualAddressing is true; others always path style. AWS_CA_BUNDLE, when
// set, names a PEM file of the certificate authorities HTTPS trusts instead of
// the system's store.
//
// Aws::InitAPI must have been called. A client may be used for several
// requests but not from several threads at once.
class S3Client {
  public:
    S3Client(
        const Aws::Auth::AWSCredentials& credentials,
        const Aws::Client::ClientConfiguration& configuration = Aws::Client::ClientConfiguration(),
        Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy signPayloads =
            Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never,
        bool useVirtualAddressing = true);
    ~S3Client();
    S3Client(const S3Client&) = delete;
    S3Client& operator=(const S3Client&) = delete;

    Model::ListBucketsOutcome ListBuckets() const;
    Model::ListObjectsV2Outcome ListObjectsV2(const Model::ListObjectsV2Request& request) const;
    Model::CreateBucketOutcome CreateBucket(const Model::CreateBucketRequest& request) const;
    Model::DeleteBucketOutcome DeleteBucket(const Model::DeleteBucketRequest& request) const;
    Model::GetObjectOutcome GetObject(const Model::GetObjectRequest& request) const;
    Model::PutObjectOutcome PutObject(const Model::PutObjectRequest& request) const;
    Model::CopyObjectOutcome CopyObject(const Model::CopyObjectRequest& request) const;
    Model::DeleteObjectOutcome DeleteObject(const Model::DeleteObjectRequest& request) const;

  private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace Aws::S3
