#include "Errors.h"

#include <array>
#include <utility>

namespace skrw::aws {
namespace {

using Aws::S3::S3Error;
using Aws::S3::S3Errors;

constexpr std::array<std::pair<std::string_view, S3Errors>, 15> kKinds{{
    {"AccessDenied", S3Errors::ACCESS_DENIED},
    {"SignatureDoesNotMatch", S3Errors::SIGNATURE_DOES_NOT_MATCH},
    {"InvalidAccessKeyId", S3Errors::INVALID_ACCESS_KEY_ID},
    {"RequestTimeTooSkewed", S3Errors::REQUEST_TIME_TOO_SKEWED},
    {"RequestTimeout", S3Errors::REQUEST_TIMEOUT},
    {"ServiceUnavailable", S3Errors::SERVICE_UNAVAILABLE},
    {"SlowDown", S3Errors::SLOW_DOWN},
    {"Throttling", S3Errors::THROTTLING},
    {"ThrottlingException", S3Errors::THROTTLING},
    {"InternalError", S3Errors::INTERNAL_ERROR},
    {"NoSuchBucket", S3Errors::NO_SUCH_BUCKET},
    {"NoSuchKey", S3Errors::NO_SUCH_KEY},
    {"BucketAlreadyExists", S3Errors::BUCKET_ALREADY_EXISTS},
    {"BucketAlreadyOwnedByYou", S3Errors::BUCKET_ALREADY_OWNED_BY_YOU},
    {"BucketNotEmpty", S3Errors::BUCKET_NOT_EMPTY},
}};

S3Errors kindForStatus(long status) {
    if (status == 503) return S3Errors::SERVICE_UNAVAILABLE;
    if (status == 429) return S3Errors::THROTTLING;
    if (status >= 300 && status < 400) return S3Errors::REDIRECT;
    if (status >= 500) return S3Errors::INTERNAL_ERROR;
    return S3Errors::UNKNOWN;
}

S3Error withStatus(S3Error error, long status) {
    error.SetResponseCode(static_cast<Aws::Http::HttpResponseCode>(status));
    return error;
}

}  // namespace

S3Errors kindForCode(std::string_view code) {
    for (const auto& [name, kind] : kKinds) {
        if (name == code) return kind;
    }
    return S3Errors::UNKNOWN;
}

bool isRetryableAnswer(std::string_view code, long status) {
    if (status >= 500 || status == 429) return true;
    switch (kindForCode(code)) {
        case S3Errors::INTERNAL_ERROR:
        case S3Errors::SERVICE_UNAVAILABLE:
        case S3Errors::SLOW_DOWN:
        case S3Errors::THROTTLING:
        case S3Errors::REQUEST_TIMEOUT:
        case S3Errors::REQUEST_TIME_TOO_SKEWED:
            return true;
        default:
            return false;
    }
}

S3Error transportError(const HttpResponse& response) {
    return S3Error(S3Errors::NETWORK_CONNECTION, "",
                   std::string(kTransportFailurePrefix) + response.transportMessage,
                   response.retryable);
}

S3Error errorFromAnswer(const HttpResponse& response, std::string_view body) {
    const long status = response.status;
    if (body.empty()) {
        return withStatus(S3Error(kindForStatus(status), "", std::string(kNoResponseBody),
                                  isRetryableAnswer("", status)),
                          status);
    }
    if (const auto document = parseErrorDocument(body)) return errorFromDocument(*document, status);
    return withStatus(S3Error(kindForStatus(status), "",
                              "The service answered with HTTP status " + std::to_string(status) +
                                  " and no error document.",
                              isRetryableAnswer("", status)),
                      status);
}

S3Error errorFromDocument(const ServiceError& document, long status) {
    S3Errors kind = kindForCode(document.code);
    if (kind == S3Errors::UNKNOWN) kind = kindForStatus(status);
    return withStatus(
        S3Error(kind, document.code, document.message, isRetryableAnswer(document.code, status)),
        status);
}

S3Error unreadableAnswer(std::string_view reason, long status) {
    return withStatus(S3Error(S3Errors::INTERNAL_FAILURE, "",
                              std::string(kUnreadableAnswerPrefix) + std::string(reason), false),
                      status);
}

S3Error clientFailure(std::string_view message) {
    return S3Error(S3Errors::INTERNAL_FAILURE, "", std::string(message), false);
}

}  // namespace skrw::aws
