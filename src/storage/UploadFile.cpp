#include "storage/UploadFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <streambuf>
#include <utility>
#include <vector>

#include "platform/FileManager.h"

namespace skrw::storage {

namespace {

constexpr std::size_t kWindowSize = 256u << 10;

bool fail(platform::Error& error, int number, const char* operation, const std::string& path) {
    error = platform::Error::fromErrno(number, operation, path);
    return false;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Closes a descriptor on every way out until it is handed on.
class OwnedFd {
  public:
    explicit OwnedFd(int fd) : m_fd(fd) {}
    ~OwnedFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// A read-only stream buffer over the first `size` bytes of a descriptor it owns. Reads go
// through pread at the buffer's own position, so the descriptor's offset never matters; a file
// that has become shorter simply ends early.
class BoundedFileBuf : public std::streambuf {
  public:
    BoundedFileBuf(int fd, std::uint64_t size) : m_fd(fd), m_size(size), m_window(kWindowSize) {
        setg(m_window.data(), m_window.data(), m_window.data());
    }
    ~BoundedFileBuf() override { ::close(m_fd); }
    BoundedFileBuf(const BoundedFileBuf&) = delete;
    BoundedFileBuf& operator=(const BoundedFileBuf&) = delete;

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        const std::uint64_t at = position();
        if (at >= m_size) return traits_type::eof();
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, m_size - at));
        ssize_t got = 0;
        do {
            got = ::pread(m_fd, m_window.data(), want, static_cast<off_t>(at));
        } while (got < 0 && errno == EINTR);
        if (got <= 0) return traits_type::eof();
        m_windowStart = at;
        setg(m_window.data(), m_window.data(), m_window.data() + got);
        return traits_type::to_int_type(*gptr());
    }

    pos_type seekoff(off_type offset, std::ios_base::seekdir dir,
                     std::ios_base::openmode which) override {
        off_type base = 0;
        if (dir == std::ios_base::cur) base = static_cast<off_type>(position());
        if (dir == std::ios_base::end) base = static_cast<off_type>(m_size);
        return seekpos(pos_type(base + offset), which);
    }

    pos_type seekpos(pos_type target, std::ios_base::openmode which) override {
        const off_type at = off_type(target);
        if (!(which & std::ios_base::in) || at < 0 || static_cast<std::uint64_t>(at) > m_size) {
            return pos_type(off_type(-1));
        }
        const auto where = static_cast<std::uint64_t>(at);
        const auto windowEnd = m_windowStart + static_cast<std::uint64_t>(egptr() - eback());
        if (where >= m_windowStart && where <= windowEnd) {
            setg(eback(), eback() + (where - m_windowStart), egptr());
        } else {
            m_windowStart = where;
            setg(m_window.data(), m_window.data(), m_window.data());
        }
        return target;
    }

  private:
    std::uint64_t position() const {
        return m_windowStart + static_cast<std::uint64_t>(gptr() - eback());
    }

    int m_fd;
    std::uint64_t m_size;
    std::vector<char> m_window;
    std::uint64_t m_windowStart = 0;  // the file offset of m_window[0]
};

class BoundedFileStream : public std::iostream {
  public:
    BoundedFileStream(int fd, std::uint64_t size) : std::iostream(nullptr), m_buffer(fd, size) {
        rdbuf(&m_buffer);
    }

  private:
    BoundedFileBuf m_buffer;
};

// A refused node is refused before it is opened: opening a device can act on it.
bool refusesNode(const struct stat& info, const std::string& path, platform::Error& error) {
    if (!platform::FileManager::isTransferable(info, "open", path, error)) return true;
    if (S_ISDIR(info.st_mode)) return !fail(error, EISDIR, "open", path);
    return false;
}

}  // namespace

bool UploadFile::open(const std::string& path, platform::Error& error) {
    m_path = path;
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) return fail(error, errno, "open", path);
    if (refusesNode(named, path, error)) return false;
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hang the caller.
    OwnedFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return fail(error, errno, "open", path);
    if (::fstat(fd.get(), &m_opened) != 0) return fail(error, errno, "open", path);
    if (refusesNode(m_opened, path, error)) return false;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return fail(error, errno, "open", path);
    }
    m_body =
        std::make_shared<BoundedFileStream>(fd.get(), static_cast<std::uint64_t>(m_opened.st_size));
    fd.release();
    return true;
}

bool UploadFile::removeIfUnchanged(platform::Error& error) const {
    struct stat now {};
    if (::stat(m_path.c_str(), &now) != 0) return fail(error, errno, "removeItem", m_path);
    if (!S_ISREG(now.st_mode) || !sameFile(now, m_opened)) {
        error.code = ESTALE;
        error.localizedDescription = "The file changed during the upload and was not removed.";
        error.description = "removeItem \"" + m_path + "\": " + error.localizedDescription;
        return false;
    }
    return platform::FileManager::removeItemAtPath(m_path, &error);
}

}  // namespace skrw::storage
