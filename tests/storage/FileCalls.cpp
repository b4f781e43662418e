#include "FileCalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <utility>

namespace skrw::test {
namespace {
std::function<void(int, int)> fsyncWatcher;
int unnamedFileRefusal = 0;
long nameLengthLimit = 0;
}  // namespace

void limitNameLength(long longest) {
    nameLengthLimit = longest;
}

void watchFsync(std::function<void(int fd, int result)> watcher) {
    fsyncWatcher = std::move(watcher);
}

void refuseUnnamedFiles(int errorNumber) {
    unnamedFileRefusal = errorNumber;
}

}  // namespace skrw::test

extern "C" {
int __real_fsync(int fd);
int __wrap_fsync(int fd) {
    const int result = __real_fsync(fd);
    if (skrw::test::fsyncWatcher) skrw::test::fsyncWatcher(fd, result);
    return result;
}

long __real_fpathconf(int fd, int name);
long __wrap_fpathconf(int fd, int name) {
    if (name == _PC_NAME_MAX && skrw::test::nameLengthLimit > 0) return skrw::test::nameLengthLimit;
    return __real_fpathconf(fd, name);
}

int __real_openat(int folder, const char* path, int flags, ...);
int __wrap_openat(int folder, const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = static_cast<mode_t>(va_arg(arguments, int));
        va_end(arguments);
    }
    if ((flags & O_TMPFILE) == O_TMPFILE && skrw::test::unnamedFileRefusal != 0) {
        errno = skrw::test::unnamedFileRefusal;
        return -1;
    }
    return __real_openat(folder, path, flags, mode);
}
}
