#include "SpillBuffer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace skrw::aws {

using platform::UniqueFd;

namespace {

constexpr char kCannotWrite[] = "cannot write the response body to a temporary file";

// What failed, with the C library's text for errno.
std::string failureText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

UniqueFd makeUnnamedTempFile() {
    const char* dir = std::getenv("TMPDIR");
    if (dir == nullptr || *dir == '\0') dir = "/tmp";
#ifdef O_TMPFILE
    if (UniqueFd unnamed(::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600)); unnamed) {
        return unnamed;
    }
#endif
    // Filesystems without O_TMPFILE: a named file, unlinked at once.
    std::string pattern = std::string(dir) + "/skrw-body-XXXXXX";
    UniqueFd named(::mkostemp(pattern.data(), O_CLOEXEC));
    if (named) ::unlink(pattern.c_str());
    return named;
}

SpillBuffer::SpillBuffer(std::size_t memoryLimit) : m_memoryLimit(memoryLimit) {}

bool SpillBuffer::spill() {
    m_file = makeUnnamedTempFile();
    if (!m_file) {
        m_failure = failureText("cannot create a temporary file for the response body");
        return false;
    }
    if (!platform::writeAll(m_file.get(), m_memory.data(), m_memory.size())) {
        m_failure = failureText(kCannotWrite);
        return false;
    }
    std::string().swap(m_memory);
    return true;
}

bool SpillBuffer::append(const char* data, std::size_t size) {
    if (!m_failure.empty()) return false;
    if (!m_file && m_memory.size() + size > m_memoryLimit && !spill()) return false;
    if (m_file) {
        if (!platform::writeAll(m_file.get(), data, size)) {
            m_failure = failureText(kCannotWrite);
            return false;
        }
    } else {
        m_memory.append(data, size);
    }
    m_size += size;
    return true;
}

std::unique_ptr<std::iostream> SpillBuffer::takeStream() {
    std::unique_ptr<std::iostream> stream;
    if (m_file) {
        stream = std::make_unique<platform::FileReadStream>(std::move(m_file), m_size);
    } else {
        stream = std::make_unique<std::stringstream>(std::move(m_memory));
    }
    m_memory.clear();
    m_size = 0;
    return stream;
}

}  // namespace skrw::aws
