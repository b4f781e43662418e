#include "storage/ServiceClient.h"

#include <initializer_list>

#include "storage/LocalPaths.h"

namespace skrw::storage {

using platform::String;

namespace {

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
                        std::initializer_list<Precondition> preconditions) {
    for (const Precondition& precondition : preconditions) {
        if (!precondition.met) {
            recordFailure(record, precondition.message, precondition.code, source);
            return false;
        }
    }
    return true;
}

}  // namespace

bool isAuthenticated(const Aws::Auth::AWSCredentials& credentials) {
    return !credentials.GetAWSAccessKeyId().empty() && !credentials.GetAWSSecretKey().empty();
}

Aws::Client::ClientConfiguration clientConfiguration(const String& region) {
    Aws::Client::ClientConfiguration configuration;
    if (isGiven(region)) configuration.region = region.utf8();
    return configuration;
}

ServiceClient::ServiceClient(const Aws::Auth::AWSCredentials& credentials,
                             const Aws::Client::ClientConfiguration& configuration)
    : m_client(credentials, configuration,
               Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never, true) {}

void recordServiceFailure(SkrError& record, const Aws::S3::S3Error& error, const char* source) {
    record.setError(String::fromUtf8(error.GetMessage()), String::fromUtf8(kServiceFailureCode),
                    String::fromUtf8(source));
}

void recordFailure(SkrError& record, const char* message, const char* code, const char* source) {
    record.setError(String::fromUtf8(message), String::fromUtf8(code), String::fromUtf8(source));
}

bool hasOperands(SkrError& record, const char* source, const Aws::Auth::AWSCredentials& credentials,
                 const String& bucket, const String* key, const String* path) {
    if (!meetsPreconditions(
            record, source,
            {{isAuthenticated(credentials), kNotAuthenticated, kServiceFailureCode},
             {isGiven(bucket), "Bucket ID is blank or invalid.", kBadArgumentCode},
             {key == nullptr || isGiven(*key), "Object ID is blank or invalid.", kBadArgumentCode},
             {path == nullptr || isGiven(*path), "No file path specified.", kBadArgumentCode}})) {
        return false;
    }
    if (platform::Error refused; path != nullptr && !isUsableLocalPath(*path, refused)) {
        record.setErrorWithError(SkrError(refused));
        return false;
    }
    return true;
}

}  // namespace skrw::storage
