#pragma once

namespace Aws::Http {

// An HTTP status code. Any status the server sends can be held (the enum is
// open); REQUEST_NOT_MADE marks an answer that never arrived.
enum class HttpResponseCode : int {
    REQUEST_NOT_MADE = -1,
    OK = 200,
    NO_CONTENT = 204,
    MOVED_PERMANENTLY = 301,
    TEMPORARY_REDIRECT = 307,
    BAD_REQUEST = 400,
    FORBIDDEN = 403,
    NOT_FOUND = 404,
    CONFLICT = 409,
    INTERNAL_SERVER_ERROR = 500,
    SERVICE_UNAVAILABLE = 503,
};

}  // namespace Aws::Http
