#include "platform/FileManager.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace platform::FileManager {
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

struct DirCloser {
    void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

bool removeRecursively(const std::string& path, Error* error);

// The entries are read in full and the folder closed before descending, so
// a deep tree never holds more than one folder open.
bool removeFolderContents(const std::string& path, Error* error) {
    std::vector<std::string> names;
    {
        std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
        if (!dir) {
            report(error, errno, "removeItem", path);
            return false;
        }
        errno = 0;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        if (errno != 0) {
            report(error, errno, "removeItem", path);
            return false;
        }
    }
    for (const std::string& name : names) {
        if (!removeRecursively(path + "/" + name, error)) return false;
    }
    return true;
}

bool removeRecursively(const std::string& path, Error* error) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        report(error, errno, "removeItem", path);
        return false;
    }
    // A symbolic link is removed itself; what it points to is left alone.
    if (S_ISDIR(info.st_mode)) {
        if (!removeFolderContents(path, error)) return false;
        if (::rmdir(path.c_str()) != 0) {
            report(error, errno, "removeItem", path);
            return false;
        }
        return true;
    }
    if (::unlink(path.c_str()) != 0) {
        report(error, errno, "removeItem", path);
        return false;
    }
    return true;
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
    return removeRecursively(path, error);
}

}  // namespace platform::FileManager
