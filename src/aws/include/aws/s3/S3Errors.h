#pragma once

#include <aws/core/client/AWSError.h>

namespace Aws::S3 {

// Kinds of failure. NETWORK_CONNECTION: no complete answer arrived (connection,
// time-out, TLS, truncated body). INTERNAL_FAILURE: the answer could not be
// used (unreadable or oversized body, no body where one is needed).
// UNKNOWN: a service error code without a kind of its own here.
enum class S3Errors {
    UNKNOWN,
    NETWORK_CONNECTION,
    INTERNAL_FAILURE,
    ACCESS_DENIED,
    SIGNATURE_DOES_NOT_MATCH,
    INVALID_ACCESS_KEY_ID,
    REQUEST_TIME_TOO_SKEWED,
    REQUEST_TIMEOUT,
    SERVICE_UNAVAILABLE,
    SLOW_DOWN,
    THROTTLING,
    INTERNAL_ERROR,
    NO_SUCH_BUCKET,
    NO_SUCH_KEY,
    BUCKET_ALREADY_EXISTS,
    BUCKET_ALREADY_OWNED_BY_YOU,
    BUCKET_NOT_EMPTY,
    REDIRECT,
};

using S3Error = Aws::Client::AWSError<S3Errors>;

}  // namespace Aws::S3
