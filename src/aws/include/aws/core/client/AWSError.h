#pragma once

#include <aws/core/http/HttpResponse.h>
#include <aws/core/utils/memory/stl/AWSString.h>

#include <utility>

namespace Aws::Client {

// A failed request: what kind of failure (ERROR_TYPE), the service's error code
// (GetExceptionName, e.g. "NoSuchKey"; empty when no service answer carried
// one), the message to show (the service's <Message>, or the layer's own text
// for transport and parse failures), the HTTP status (REQUEST_NOT_MADE when no
// answer arrived), whether a retry could succeed, and how many retries were
// made before the request gave up with this error.
template <typename ERROR_TYPE>
class AWSError {
  public:
    AWSError() = default;
    AWSError(ERROR_TYPE errorType, Aws::String exceptionName, Aws::String message, bool isRetryable)
        : m_errorType(errorType),
          m_exceptionName(std::move(exceptionName)),
          m_message(std::move(message)),
          m_isRetryable(isRetryable) {}

    ERROR_TYPE GetErrorType() const { return m_errorType; }
    const Aws::String& GetExceptionName() const { return m_exceptionName; }
    const Aws::String& GetMessage() const { return m_message; }
    bool ShouldRetry() const { return m_isRetryable; }
    Aws::Http::HttpResponseCode GetResponseCode() const { return m_responseCode; }
    long GetRetryCount() const { return m_retryCount; }

    void SetResponseCode(Aws::Http::HttpResponseCode code) { m_responseCode = code; }
    void SetMessage(const Aws::String& message) { m_message = message; }
    void SetRetryCount(long retries) { m_retryCount = retries; }

  private:
    ERROR_TYPE m_errorType{};
    Aws::String m_exceptionName;
    Aws::String m_message;
    bool m_isRetryable = false;
    Aws::Http::HttpResponseCode m_responseCode = Aws::Http::HttpResponseCode::REQUEST_NOT_MADE;
    long m_retryCount = 0;
};

}  // namespace Aws::Client
