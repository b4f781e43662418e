#pragma once
// The error record of the storage access object: the outcome of the last storage operation as
// three texts, a message, a code and a source.
//
// Contract:
// - A new record and a cleared record read "Success", "0", "Initialization".
// - Every constructor and setter stores copies of the texts it is given, so a caller's later
//   change to its own text never reaches the record.
// - The code is a decimal text, handed out as a text.
// - No operation fails or reports anything.
// - Not thread-safe: the owner reads and writes it on one thread.
#include "platform/Error.h"
#include "platform/String.h"

namespace skrw::storage {

// The codes a failed operation records, beside the platform's own error numbers.
// The service refused or could not be asked: its own error, no credentials, no bucket to list.
inline constexpr char kServiceFailureCode[] = "-400";
// An argument is missing, blank or out of range.
inline constexpr char kBadArgumentCode[] = "-4";
// The credentials name a service other than S3.
inline constexpr char kInvalidModuleCode[] = "-1000";

}  // namespace skrw::storage

class SkrError {
  public:
    // init: "Success", "0", "Initialization".
    SkrError();
    // initWithData:code:source:
    SkrError(const skrw::platform::String& message, const skrw::platform::String& code,
             const skrw::platform::String& source);
    // initWithError: copies the other record's three texts.
    SkrError(const SkrError& other) = default;
    // initWithNSError: message = the error's description, code = its number ("%ld"),
    // source = "ERROR".
    explicit SkrError(const skrw::platform::Error& error);

    SkrError& operator=(const SkrError& other) = default;

    // setError:code:source: replaces all three texts.
    void setError(const skrw::platform::String& message, const skrw::platform::String& code,
                  const skrw::platform::String& source);
    // setErrorWithError: replaces all three texts with the other record's.
    void setErrorWithError(const SkrError& other);
    // setErrorWithNSError: message = the error's localized description, code = its number
    // ("%ld"), source = "ERROR".
    void setErrorWithNSError(const skrw::platform::Error& error);

    // "MESSAGE: " message LF "CODE: " code LF "SOURCE: " source, no line feed at the end; each
    // text inserted unchanged (a null text reads as empty).
    skrw::platform::String getError() const;
    // Back to "Success", "0", "Initialization".
    void clearError();

    const skrw::platform::String& message() const { return m_message; }
    const skrw::platform::String& code() const { return m_code; }
    const skrw::platform::String& source() const { return m_source; }
    void setMessage(const skrw::platform::String& message) { m_message = message; }
    void setCode(const skrw::platform::String& code) { m_code = code; }
    void setSource(const skrw::platform::String& source) { m_source = source; }

  private:
    skrw::platform::String m_message;
    skrw::platform::String m_code;
    skrw::platform::String m_source;
};
