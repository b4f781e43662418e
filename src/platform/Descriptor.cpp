#include "platform/Descriptor.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace skrw::platform {

namespace {

constexpr std::size_t kReadWindow = 256u << 10;

}  // namespace

void UniqueFd::reset() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool UniqueFd::close() {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = 0;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::size_t readAt(int fd, char* data, std::size_t size, std::uint64_t offset) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, data + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

FileReadBuf::FileReadBuf(UniqueFd file, std::uint64_t size)
    : m_file(std::move(file)), m_size(size), m_window(kReadWindow) {
    setg(m_window.data(), m_window.data(), m_window.data());
}

std::uint64_t FileReadBuf::position() const {
    return m_windowStart + static_cast<std::uint64_t>(gptr() - eback());
}

FileReadBuf::int_type FileReadBuf::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    const std::uint64_t at = position();
    if (at >= m_size) return traits_type::eof();
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kReadWindow, m_size - at));
    const std::size_t got = readAt(m_file.get(), m_window.data(), want, at);
    if (got == 0) return traits_type::eof();
    m_windowStart = at;
    setg(m_window.data(), m_window.data(), m_window.data() + got);
    return traits_type::to_int_type(*gptr());
}

std::streamsize FileReadBuf::xsgetn(char* out, std::streamsize count) {
    std::streamsize done = 0;
    while (done < count) {
        if (gptr() == egptr() && underflow() == traits_type::eof()) break;
        const std::streamsize chunk = std::min<std::streamsize>(count - done, egptr() - gptr());
        std::memcpy(out + done, gptr(), static_cast<std::size_t>(chunk));
        gbump(static_cast<int>(chunk));
        done += chunk;
    }
    return done;
}

std::streamsize FileReadBuf::showmanyc() {
    const std::uint64_t at = position();
    return at < m_size ? static_cast<std::streamsize>(m_size - at) : -1;
}

FileReadBuf::pos_type FileReadBuf::seekoff(off_type offset, std::ios_base::seekdir dir,
                                           std::ios_base::openmode which) {
    off_type base = 0;
    if (dir == std::ios_base::cur) base = static_cast<off_type>(position());
    if (dir == std::ios_base::end) base = static_cast<off_type>(m_size);
    return seekpos(pos_type(base + offset), which);
}

FileReadBuf::pos_type FileReadBuf::seekpos(pos_type position, std::ios_base::openmode which) {
    const off_type target = off_type(position);
    if (!(which & std::ios_base::in) || target < 0 || static_cast<std::uint64_t>(target) > m_size) {
        return pos_type(off_type(-1));
    }
    const auto where = static_cast<std::uint64_t>(target);
    const std::uint64_t windowEnd = m_windowStart + static_cast<std::uint64_t>(egptr() - eback());
    if (where >= m_windowStart && where <= windowEnd) {
        setg(eback(), eback() + (where - m_windowStart), egptr());
    } else {
        // Read lazily from the new offset: an empty window placed at it.
        m_windowStart = where;
        setg(m_window.data(), m_window.data(), m_window.data());
    }
    return position;
}

}  // namespace skrw::platform
