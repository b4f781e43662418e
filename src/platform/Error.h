#pragma once
// A platform error: what a failed file or folder operation reports.
#include <string>

namespace skrw::platform {

struct Error {
    long long code = 0;                // signed error number (errno for system calls)
    std::string description;           // operation, path and the C library's text
    std::string localizedDescription;  // the C library's text for the number (strerror)

    // From an errno value of a failed system call on `path`.
    static Error fromErrno(int errorNumber, const std::string& operation, const std::string& path);
    // From a code and its own text, described as `<operation> "<path>": <text>`.
    static Error withText(long long code, std::string localizedDescription,
                          const std::string& operation, const std::string& path);
};

// Sets `error` from an errno value of a failed call on `path` and answers false, so that a
// failing step reads `return failWithErrno(...)`.
[[nodiscard]] bool failWithErrno(Error& error, int errorNumber, const std::string& operation,
                                 const std::string& path);

}  // namespace skrw::platform
