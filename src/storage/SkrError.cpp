#include "storage/SkrError.h"

#include <string>

namespace {

using platform::String;

const char kSuccess[] = "Success";
const char kNoErrorCode[] = "0";
const char kInitialization[] = "Initialization";
const char kPlatformSource[] = "ERROR";

}  // namespace

SkrError::SkrError()
    : message_(String::fromUtf8(kSuccess)),
      code_(String::fromUtf8(kNoErrorCode)),
      source_(String::fromUtf8(kInitialization)) {}

SkrError::SkrError(const String& message, const String& code, const String& source)
    : message_(message), code_(code), source_(source) {}

SkrError::SkrError(const platform::Error& error)
    : message_(String::fromUtf8(error.description)),
      code_(String::fromInteger(error.code)),
      source_(String::fromUtf8(kPlatformSource)) {}

void SkrError::setError(const String& message, const String& code, const String& source) {
    message_ = message;
    code_ = code;
    source_ = source;
}

void SkrError::setErrorWithError(const SkrError& other) {
    setError(other.message_, other.code_, other.source_);
}

void SkrError::setErrorWithNSError(const platform::Error& error) {
    setError(String::fromUtf8(error.localizedDescription), String::fromInteger(error.code),
             String::fromUtf8(kPlatformSource));
}

String SkrError::getError() const {
    std::string text;
    text.append("MESSAGE: ").append(message_.utf8());
    text.append("\nCODE: ").append(code_.utf8());
    text.append("\nSOURCE: ").append(source_.utf8());
    return String::fromUtf8(text);
}

void SkrError::clearError() {
    *this = SkrError();
}
