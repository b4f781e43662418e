#pragma once
// The per-operation pieces every storage operation shares: the authenticated test, the client
// configuration and client of one operation, and the record of a failure the service reported.
#include <aws/core/auth/AWSCredentials.h>
#include <aws/core/client/ClientConfiguration.h>
#include <aws/s3/S3Client.h>
#include <aws/s3/S3Errors.h>

#include <initializer_list>

#include "platform/String.h"
#include "storage/SkrError.h"

namespace skrw::storage {

// The argument was given and holds text (neither null nor empty).
inline bool isGiven(const platform::String& text) {
    return !text.isNull() && !text.isEmpty();
}

// Both the access key id and the secret key are non-empty.
bool isAuthenticated(const Aws::Auth::AWSCredentials& credentials);

// The SDK's default configuration, with the region set to `region` when that is not empty
// (exactly as stored, no change of case).
Aws::Client::ClientConfiguration clientConfiguration(const platform::String& region);

// A client of one operation: never signs bodies over HTTPS, virtual-host addressing.
class ServiceClient {
  public:
    ServiceClient(const Aws::Auth::AWSCredentials& credentials,
                  const Aws::Client::ClientConfiguration& configuration);
    const Aws::S3::S3Client& operator*() const { return client_; }
    const Aws::S3::S3Client* operator->() const { return &client_; }

  private:
    Aws::S3::S3Client client_;
};

// Records the service's message with the code "-400" and the operation's source.
void recordServiceFailure(SkrError& record, const Aws::S3::S3Error& error, const char* source);

// Records a fixed triple (UTF-8 texts).
void recordFailure(SkrError& record, const char* message, const char* code, const char* source);

// Texts of the preconditions several operations share.
inline constexpr char kNotAuthenticated[] = "System not authenticated.";
inline constexpr char kBucketNotGiven[] = "Bucket ID is blank or invalid.";
inline constexpr char kObjectNotGiven[] = "Object ID is blank or invalid.";

// One precondition of an operation: when it is not met, the operation fails with this message
// and code.
struct Precondition {
    bool met;
    const char* message;
    const char* code;
};

// Records the first unmet precondition, in the order given, under `source` and answers false;
// answers true when every precondition is met.
bool meetsPreconditions(SkrError& record, const char* source,
                        std::initializer_list<Precondition> preconditions);

}  // namespace skrw::storage
