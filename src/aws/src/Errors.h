#pragma once

#include <aws/s3/S3Errors.h>

#include <string>
#include <string_view>

#include "Transport.h"
#include "XmlParsers.h"

namespace skrw::aws {

inline constexpr std::string_view kTransportFailurePrefix = "Unable to connect to endpoint: ";
inline constexpr std::string_view kNoResponseBody = "No response body.";
inline constexpr std::string_view kUnreadableAnswerPrefix =
    "The service's answer could not be read: ";

// The kind that a service error code stands for (UNKNOWN for codes without
// a kind of their own).
Aws::S3::S3Errors kindForCode(std::string_view code);

// Whether a retry can succeed after the service answered with this code and
// HTTP status: 5xx and 429, and the codes InternalError, ServiceUnavailable,
// SlowDown, Throttling, ThrottlingException, RequestTimeout and
// RequestTimeTooSkewed.
[[nodiscard]] bool isRetryableAnswer(std::string_view code, long status);

// No complete answer arrived.
Aws::S3::S3Error transportError(const HttpResponse& response);

// An answer with a non-2xx status, described by its body: the service's
// <Message>, "No response body." for an empty body.
Aws::S3::S3Error errorFromAnswer(const HttpResponse& response, std::string_view body);

// A 2xx answer whose body is an error document.
Aws::S3::S3Error errorFromDocument(const ServiceError& document, long status);

// The answer arrived but cannot be used (unparseable, oversized, ...).
Aws::S3::S3Error unreadableAnswer(std::string_view reason, long status);

// A failure on this side before or while sending (e.g. an unreadable upload).
Aws::S3::S3Error clientFailure(std::string_view message);

}  // namespace skrw::aws
