#include "platform/Error.h"

#include <cstring>
#include <utility>

namespace skrw::platform {
namespace {

// strerror_r comes in two forms (XSI answers an int, GNU a pointer); these
// overloads accept whichever the C library declares.
[[maybe_unused]] std::string messageFrom(int rc, const char* buffer, int errorNumber) {
    if (rc == 0) return buffer;
    return "Unknown error " + std::to_string(errorNumber);
}

[[maybe_unused]] std::string messageFrom(const char* text, const char*, int errorNumber) {
    if (text != nullptr) return text;
    return "Unknown error " + std::to_string(errorNumber);
}

std::string textForErrorNumber(int errorNumber) {
    char buffer[256] = {};
    return messageFrom(strerror_r(errorNumber, buffer, sizeof buffer), buffer, errorNumber);
}

}  // namespace

Error Error::fromErrno(int errorNumber, const std::string& operation, const std::string& path) {
    return withText(errorNumber, textForErrorNumber(errorNumber), operation, path);
}

Error Error::withText(long long code, std::string localizedDescription,
                      const std::string& operation, const std::string& path) {
    Error error;
    error.code = code;
    error.localizedDescription = std::move(localizedDescription);
    error.description = operation + " \"" + path + "\": " + error.localizedDescription;
    return error;
}

bool failWithErrno(Error& error, int errorNumber, const std::string& operation,
                   const std::string& path) {
    error = Error::fromErrno(errorNumber, operation, path);
    return false;
}

}  // namespace skrw::platform
