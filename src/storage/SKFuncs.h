#pragma once
// The storage access object: the one object through which the plug-in reaches the object
// storage service.
//
// Contract:
// - Building the object starts the SDK (Aws::InitAPI); destroying it shuts the SDK down. One
//   instance lives from the host's start-up to its shut-down.
// - Every storage operation first clears the error record; a failing operation records exactly
//   one message, code and source and leaves the rest of the object as it was. SetError,
//   getLastError and getLastErrorCode do not clear.
// - Operations that only succeed or fail answer a bool; operations that answer data answer
//   their text, or "!!ERROR!!" on failure.
// - Text arguments may be null (an absent argument) or empty; the two are kept apart where the
//   operations say so (the continuation token of getBucket).
// - Each operation that contacts the service builds its own client and makes one synchronous
//   request on the caller's thread; nothing is kept between operations but the credentials, the
//   region, the service selector, the last listing and the error record.
// - No operation throws, but for std::bad_alloc when memory runs out.
// - Not thread-safe: the host calls it on one thread at a time.
#include <aws/core/Aws.h>
#include <aws/core/auth/AWSCredentials.h>
#include <aws/s3/model/BucketLocationConstraint.h>
#include <aws/s3/model/Object.h>

#include <cstdint>
#include <vector>

#include "platform/String.h"
#include "storage/SkrError.h"

namespace skrw::storage {

// The answer of an operation that answers data, when it fails; the script functions answer it
// too.
inline constexpr char kErrorAnswer[] = "!!ERROR!!";

}  // namespace skrw::storage

class SKFuncs {
  public:
    SKFuncs();
    ~SKFuncs();
    SKFuncs(const SKFuncs&) = delete;
    SKFuncs& operator=(const SKFuncs&) = delete;

    // Accepts the access key id (username) and secret key (password) for the service "s3" or
    // "aws" (any case) once a probe listing of all buckets succeeds with them; the optional
    // parameters (null when absent) may name the region of later bucket and object operations
    // with a "region=<name>" pair. A failure leaves earlier accepted credentials in force.
    bool useCredentialsForService(const skrw::platform::String& service,
                                  const skrw::platform::String& username,
                                  const skrw::platform::String& password,
                                  const skrw::platform::String& parameters);
    // The names of all buckets, each followed by a line feed; "!!ERROR!!" on failure.
    skrw::platform::String listBuckets();

    // Lists one page of the bucket's objects and keeps it as the last listing. Prefix,
    // delimiter, maximum keys and continuation token may each be null (absent) or empty.
    bool getBucket(const skrw::platform::String& bucket, const skrw::platform::String& prefix,
                   const skrw::platform::String& delimiter, const skrw::platform::String& maxKeys,
                   const skrw::platform::String& continuationToken);
    // One property of the last listing, by name (any case) and 0-based object index; the empty
    // text for an unknown name; "!!ERROR!!" on failure. Never contacts the service.
    skrw::platform::String getBucketProperty(const skrw::platform::String& name,
                                             std::int32_t index);

    bool createBucket(const skrw::platform::String& bucket);
    bool deleteBucket(const skrw::platform::String& bucket);

    // Downloads the object into the local path (volume form; "~" expanded; the destination
    // folder is created and becomes the process's current folder).
    bool getObject(const skrw::platform::String& bucket, const skrw::platform::String& key,
                   const skrw::platform::String& path);
    // Uploads the local file at the path (or at its volume form) as the object; removes the file
    // afterwards when deleteAfter is set and the service accepted the upload.
    bool postObject(const skrw::platform::String& bucket, const skrw::platform::String& key,
                    const skrw::platform::String& path, bool deleteAfter);

    bool copyObjectFromSourceBucket(const skrw::platform::String& sourceBucket,
                                    const skrw::platform::String& sourceKey,
                                    const skrw::platform::String& destinationBucket,
                                    const skrw::platform::String& destinationKey);
    bool deleteObject(const skrw::platform::String& bucket, const skrw::platform::String& key);

    // Records the triple without clearing first.
    void SetError(const skrw::platform::String& message, const skrw::platform::String& code,
                  const skrw::platform::String& source);
    // The record's three-line text.
    skrw::platform::String getLastError() const;
    // The record's code.
    skrw::platform::String getLastErrorCode() const;

  private:
    skrw::platform::String m_region = skrw::platform::String::fromUtf8("");
    skrw::platform::String m_nextToken;  // null: no token kept
    bool m_isTruncated = false;
    std::vector<Aws::S3::Model::Object> m_contents;
    SkrError m_error;
    std::int32_t m_module = 0;
    Aws::SDKOptions m_options;
    Aws::Auth::AWSCredentials m_credentials;
};

// The location constraint for a region text: the one whose name in the S3 layer's table equals the
// lower-cased text ("EU" never does), us_east_1 for anything else (the empty text included).
Aws::S3::Model::BucketLocationConstraint GetRegion(const skrw::platform::String& region);
