#include "storage/UploadFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "platform/Descriptor.h"
#include "platform/FileManager.h"

namespace skrw::storage {

namespace {

using platform::failWithErrno;

bool sameFile(const struct stat& a, const struct stat& b) {
    // The change time too: a modification time can be set back, the change time cannot.
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// A refused node is refused before it is opened: opening a device can act on it.
bool refusesNode(const struct stat& info, const std::string& path, platform::Error& error) {
    if (!platform::FileManager::isTransferable(info, "open", path, error)) return true;
    if (S_ISDIR(info.st_mode)) return !failWithErrno(error, EISDIR, "open", path);
    return false;
}

// A regular file whose size reads 0 (procfs, sysfs) may hold bytes all the same; sent as its size
// says, it would be stored as an empty object. It is sent only when a read finds its end at once,
// and refused otherwise: its length cannot be known before the request, nor checked afterwards.
bool readsEmpty(int fd, const std::string& path, platform::Error& error) {
    char byte = 0;
    ssize_t got = 0;
    do {
        got = ::pread(fd, &byte, 1, 0);
    } while (got < 0 && errno == EINTR);
    if (got == 0) return true;
    if (got < 0) return failWithErrno(error, errno, "read", path);
    error = platform::Error::withText(EINVAL, "The file's size reads 0, but it holds data", "open",
                                      path);
    return false;
}

}  // namespace

bool UploadFile::open(const std::string& path, platform::Error& error) {
    m_path = path;
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) return failWithErrno(error, errno, "open", path);
    if (refusesNode(named, path, error)) return false;
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hang the caller.
    platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return failWithErrno(error, errno, "open", path);
    if (::fstat(fd.get(), &m_opened) != 0) return failWithErrno(error, errno, "open", path);
    if (refusesNode(m_opened, path, error)) return false;
    if (m_opened.st_size == 0 && !readsEmpty(fd.get(), path, error)) return false;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return failWithErrno(error, errno, "open", path);
    }
    // A file that becomes shorter meanwhile ends early; bytes added to it are not read.
    m_body = std::make_shared<platform::FileReadStream>(
        std::move(fd), static_cast<std::uint64_t>(m_opened.st_size));
    return true;
}

bool UploadFile::removeIfUnchanged(platform::Error& error) const {
    struct stat now {};
    if (::stat(m_path.c_str(), &now) != 0) return failWithErrno(error, errno, "removeItem", m_path);
    if (!S_ISREG(now.st_mode) || !sameFile(now, m_opened)) {
        error = platform::Error::withText(ESTALE,
                                          "The file changed during the upload and was not removed.",
                                          "removeItem", m_path);
        return false;
    }
    return platform::FileManager::removeItemAtPath(m_path, &error);
}

}  // namespace skrw::storage
