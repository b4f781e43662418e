#include "BodyStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace skrw::aws {
namespace {
constexpr std::size_t kFileWindow = 256u << 10;
}

BodyStreamBuf::BodyStreamBuf(std::string memory) : m_memory(std::move(memory)) {
    m_size = m_memory.size();
    setg(m_memory.data(), m_memory.data(), m_memory.data() + m_memory.size());
}

BodyStreamBuf::BodyStreamBuf(UniqueFd file, std::uint64_t size)
    : m_file(std::move(file)), m_size(size) {
    setg(nullptr, nullptr, nullptr);
}

std::uint64_t BodyStreamBuf::position() const {
    if (!m_file) return static_cast<std::uint64_t>(gptr() - eback());
    return m_windowStart + static_cast<std::uint64_t>(gptr() - eback());
}

bool BodyStreamBuf::fillFrom(std::uint64_t offset) {
    if (!m_file || offset >= m_size) return false;
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kFileWindow, m_size - offset));
    m_memory.resize(kFileWindow);
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = ::pread(m_file.get(), m_memory.data() + got, want - got,
                                  static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got == 0) return false;
    m_windowStart = offset;
    setg(m_memory.data(), m_memory.data(), m_memory.data() + got);
    return true;
}

BodyStreamBuf::int_type BodyStreamBuf::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (!fillFrom(position())) return traits_type::eof();
    return traits_type::to_int_type(*gptr());
}

std::streamsize BodyStreamBuf::xsgetn(char* out, std::streamsize count) {
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

std::streamsize BodyStreamBuf::showmanyc() {
    const std::uint64_t pos = position();
    return pos < m_size ? static_cast<std::streamsize>(m_size - pos) : -1;
}

BodyStreamBuf::pos_type BodyStreamBuf::seekoff(off_type offset, std::ios_base::seekdir dir,
                                               std::ios_base::openmode which) {
    if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
    off_type base = 0;
    if (dir == std::ios_base::cur) base = static_cast<off_type>(position());
    if (dir == std::ios_base::end) base = static_cast<off_type>(m_size);
    return seekpos(pos_type(base + offset), which);
}

BodyStreamBuf::pos_type BodyStreamBuf::seekpos(pos_type position, std::ios_base::openmode which) {
    const off_type target = off_type(position);
    if (!(which & std::ios_base::in) || target < 0 || static_cast<std::uint64_t>(target) > m_size) {
        return pos_type(off_type(-1));
    }
    const auto where = static_cast<std::uint64_t>(target);
    if (!m_file) {
        setg(m_memory.data(), m_memory.data() + where, m_memory.data() + m_memory.size());
        return position;
    }
    const std::uint64_t windowEnd = m_windowStart + static_cast<std::uint64_t>(egptr() - eback());
    if (eback() != nullptr && where >= m_windowStart && where <= windowEnd) {
        setg(eback(), eback() + (where - m_windowStart), egptr());
    } else {
        // Read lazily from the new offset: an empty window placed at it.
        m_windowStart = where;
        setg(m_memory.data(), m_memory.data(), m_memory.data());
    }
    return position;
}

}  // namespace skrw::aws
