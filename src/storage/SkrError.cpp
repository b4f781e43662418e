#include "storage/SkrError.h"

#include <string>

namespace {

using skrw::platform::String;

const char kSuccess[] = "Success";
const char kNoErrorCode[] = "0";
const char kInitialization[] = "Initialization";
const char kPlatformSource[] = "ERROR";

}  // namespace

SkrError::SkrError()
    : m_message(String::fromUtf8(kSuccess)),
      m_code(String::fromUtf8(kNoErrorCode)),
      m_source(String::fromUtf8(kInitialization)) {}

SkrError::SkrError(const String& message, const String& code, const String& source)
    : m_message(message), m_code(code), m_source(source) {}

SkrError::SkrError(const skrw::platform::Error& error)
    : m_message(String::fromUtf8(error.description)),
      m_code(String::fromInteger(error.code)),
      m_source(String::fromUtf8(kPlatformSource)) {}

void SkrError::setError(const String& message, const String& code, const String& source) {
    m_message = message;
    m_code = code;
    m_source = source;
}

void SkrError::setErrorWithError(const SkrError& other) {
    setError(other.m_message, other.m_code, other.m_source);
}

void SkrError::setErrorWithNSError(const skrw::platform::Error& error) {
    setError(String::fromUtf8(error.localizedDescription), String::fromInteger(error.code),
             String::fromUtf8(kPlatformSource));
}

String SkrError::getError() const {
    std::string text;
    text.append("MESSAGE: ").append(m_message.utf8());
    text.append("\nCODE: ").append(m_code.utf8());
    text.append("\nSOURCE: ").append(m_source.utf8());
    return String::fromUtf8(text);
}

void SkrError::clearError() {
    *this = SkrError();
}
