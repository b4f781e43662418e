#pragma once
// A platform error: what a failed file or folder operation reports.
#include <string>

namespace platform {

struct Error {
    long long code = 0;                // signed error number (errno for system calls)
    std::string description;           // operation, path and the C library's text
    std::string localizedDescription;  // the C library's text for the number (strerror)

    // From an errno value of a failed system call on `path`.
    static Error fromErrno(int errorNumber, const std::string& operation, const std::string& path);
};

}  // namespace platform
