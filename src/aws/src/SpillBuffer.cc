#include "SpillBuffer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BodyStream.h"

namespace skrw::aws {
namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

UniqueFd makeUnnamedTempFile() {
    const char* dir = std::getenv("TMPDIR");
    if (dir == nullptr || *dir == '\0') dir = "/tmp";
    int fd = -1;
#ifdef O_TMPFILE
    fd = ::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return UniqueFd(fd);
#endif
    // Filesystems without O_TMPFILE: a named file, unlinked at once.
    std::string pattern = std::string(dir) + "/skrw-body-XXXXXX";
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(pattern.c_str());
    return UniqueFd(fd);
}

SpillBuffer::SpillBuffer(std::size_t memoryLimit) : m_memoryLimit(memoryLimit) {}

bool SpillBuffer::spill() {
    m_file = makeUnnamedTempFile();
    if (!m_file) {
        m_failure = std::string("cannot create a temporary file for the response body: ") +
                    std::strerror(errno);
        return false;
    }
    if (!writeAll(m_file.get(), m_memory.data(), m_memory.size())) {
        m_failure = std::string("cannot write the response body to a temporary file: ") +
                    std::strerror(errno);
        return false;
    }
    std::string().swap(m_memory);
    return true;
}

bool SpillBuffer::append(const char* data, std::size_t size) {
    if (!m_failure.empty()) return false;
    if (!m_file && m_memory.size() + size > m_memoryLimit && !spill()) return false;
    if (m_file) {
        if (!writeAll(m_file.get(), data, size)) {
            m_failure = std::string("cannot write the response body to a temporary file: ") +
                        std::strerror(errno);
            return false;
        }
    } else {
        m_memory.append(data, size);
    }
    m_size += size;
    return true;
}

bool SpillBuffer::readAll(std::string& out) const {
    if (!m_file) {
        out = m_memory;
        return true;
    }
    out.assign(static_cast<std::size_t>(m_size), '\0');
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n =
            ::pread(m_file.get(), out.data() + got, out.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

std::unique_ptr<std::iostream> SpillBuffer::takeStream() {
    std::unique_ptr<BodyStreamBuf> buffer;
    if (m_file) {
        buffer = std::make_unique<BodyStreamBuf>(std::move(m_file), m_size);
    } else {
        buffer = std::make_unique<BodyStreamBuf>(std::move(m_memory));
    }
    m_memory.clear();
    m_size = 0;
    return std::make_unique<BodyStream>(std::move(buffer));
}

}  // namespace skrw::aws
