#include "storage/ServiceClient.h"

namespace skrw::storage {

using platform::String;

bool isAuthenticated(const Aws::Auth::AWSCredentials& credentials) {
    return !credentials.GetAWSAccessKeyId().empty() && !credentials.GetAWSSecretKey().empty();
}

Aws::Client::ClientConfiguration clientConfiguration(const String& region) {
    Aws::Client::ClientConfiguration configuration;
    if (!region.isNull() && !region.isEmpty()) configuration.region = region.utf8();
    return configuration;
}

ServiceClient::ServiceClient(const Aws::Auth::AWSCredentials& credentials,
                             const Aws::Client::ClientConfiguration& configuration)
    : client_(credentials, configuration, Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy::Never,
              true) {}

void recordServiceFailure(SkrError& record, const Aws::S3::S3Error& error, const char* source) {
    record.setError(String::fromUtf8(error.GetMessage()), String::fromUtf8("-400"),
                    String::fromUtf8(source));
}

void recordFailure(SkrError& record, const char* message, const char* code, const char* source) {
    record.setError(String::fromUtf8(message), String::fromUtf8(code), String::fromUtf8(source));
}

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

}  // namespace skrw::storage
