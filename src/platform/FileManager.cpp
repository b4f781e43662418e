#include "platform/FileManager.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace skrw::platform::FileManager {
namespace {

void report(Error* error, int errorNumber, const char* operation, const std::string& path) {
    if (error != nullptr) *error = Error::fromErrno(errorNumber, operation, path);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Makes one folder; an existing folder (also one that a concurrent caller
// made a moment ago) counts as made, anything else in the way does not.
bool makeOneFolder(const std::string& path, Error* error) {
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    const int failure = errno;
    if (failure == EEXIST && isFolder(path)) return true;
    report(error, failure, "createDirectory", path);
    return false;
}

}  // namespace

bool createDirectoryWithIntermediates(const std::string& path, Error* error) {
    if (path.empty()) {
        report(error, ENOENT, "createDirectory", path);
        return false;
    }
    if (isFolder(path)) return true;
    // Each folder from the top down: every prefix that ends before a "/".
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (path[slash - 1] == '/') continue;  // repeated "/"
        if (!makeOneFolder(path.substr(0, slash), error)) return false;
    }
    if (path.back() == '/') return true;
    return makeOneFolder(path, error);
}

bool changeCurrentDirectoryPath(const std::string& path) {
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

bool fileExistsAtPath(const std::string& path, bool* isDirectory) {
    struct stat info {};
    const bool exists = !path.empty() && ::stat(path.c_str(), &info) == 0;
    if (isDirectory != nullptr) *isDirectory = exists && S_ISDIR(info.st_mode);
    return exists;
}

bool removeItemAtPath(const std::string& path, Error* error) {
    if (path.empty()) {
        report(error, ENOENT, "removeItem", path);
        return false;
    }
    if (::unlink(path.c_str()) != 0) {
        report(error, errno, "removeItem", path);
        return false;
    }
    return true;
}

bool isTransferable(const struct stat& info, const std::string& operation, const std::string& path,
                    Error& error) {
    if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) return true;
    error = Error::withText(EINVAL, "Not a regular file", operation, path);
    return false;
}

}  // namespace skrw::platform::FileManager
