#pragma once
// The per-operation pieces every storage operation shares: the authenticated test, the client
// configuration and client of one operation, and the record of a failure the service reported.
#include <aws/core/auth/AWSCredentials.h>
#include <aws/core/client/ClientConfiguration.h>
#include <aws/s3/S3Client.h>
#include <aws/s3/S3Errors.h>

#include "platform/String.h"
#include "storage/SkrError.h"

namespace skrw::storage {

// Both the access key id and the secret key are non-empty.
[[nodiscard]] bool isAuthenticated(const Aws::Auth::AWSCredentials& credentials);

// The SDK's default configuration, with the region set to `region` when that is not empty
// (exactly as stored, no change of case).
Aws::Client::ClientConfiguration clientConfiguration(const platform::String& region);

// A client of one operation: never signs bodies over HTTPS, virtual-host addressing.
class ServiceClient {
  public:
    ServiceClient(const Aws::Auth::AWSCredentials& credentials,
                  const Aws::Client::ClientConfiguration& configuration);
    const Aws::S3::S3Client& operator*() const { return m_client; }
    const Aws::S3::S3Client* operator->() const { return &m_client; }

  private:
    Aws::S3::S3Client m_client;
};

// Records the service's message with kServiceFailureCode and the operation's source.
void recordServiceFailure(SkrError& record, const Aws::S3::S3Error& error, const char* source);

// Records a fixed triple (UTF-8 texts).
void recordFailure(SkrError& record, const char* message, const char* code, const char* source);

// Texts of the preconditions several operations share.
inline constexpr char kInvalidModule[] = "Invalid module specified.";
inline constexpr char kNotAuthenticated[] = "System not authenticated.";

// The operands of an operation on a bucket, an object or a local file, checked in this order:
// the credentials ("System not authenticated.", kServiceFailureCode), the bucket, and, when the
// operation takes them, the key and the local path (kBadArgumentCode). A path holding text that the
// file calls cannot take is then a platform error. Records the first failure under `source`;
// answers whether all are there.
[[nodiscard]] bool hasOperands(SkrError& record, const char* source,
                               const Aws::Auth::AWSCredentials& credentials,
                               const platform::String& bucket,
                               const platform::String* key = nullptr,
                               const platform::String* path = nullptr);

}  // namespace skrw::storage
