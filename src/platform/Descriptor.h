#pragma once
// File descriptors: the one holder that closes them, the write loop, and a read-only stream over
// a file's first bytes. Every layer that holds a descriptor holds it in a UniqueFd.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <streambuf>
#include <utility>
#include <vector>

namespace skrw::platform {

// Owns a file descriptor and closes it once: when reset, replaced or destroyed. -1 holds none.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Hands the descriptor over without closing it.
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }
    void reset();
    // Closes the descriptor and answers whether close() succeeded (true when none was held);
    // the descriptor is gone either way, errno tells why it failed.
    [[nodiscard]] bool close();

  private:
    int m_fd = -1;
};

// Writes every byte, going on after interrupted and partial writes. False when a write fails
// (errno tells why, 0 when the file took no byte without an error).
[[nodiscard]] bool writeAll(int fd, const char* data, std::size_t size);

// Reads up to `size` bytes at `offset` (pread: the descriptor's offset is left alone), going on
// after interrupted and partial reads. Answers how many bytes arrived: fewer than `size` at the
// end of the file or at a failed read.
[[nodiscard]] std::size_t readAt(int fd, char* data, std::size_t size, std::uint64_t offset);

// A read-only, seekable stream buffer over the first `size` bytes of a descriptor it owns. Reads
// go through readAt in large windows at the buffer's own position, so the descriptor's offset
// never matters, bulk reads (as by `out << in.rdbuf()`) move whole windows, and a file that has
// become shorter simply ends early.
class FileReadBuf : public std::streambuf {
  public:
    FileReadBuf(UniqueFd file, std::uint64_t size);

  protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* out, std::streamsize count) override;
    std::streamsize showmanyc() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir,
                     std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

  private:
    std::uint64_t position() const;

    UniqueFd m_file;
    std::uint64_t m_size;
    std::vector<char> m_window;
    std::uint64_t m_windowStart = 0;  // the file offset of m_window[0]
};

// An iostream over its own FileReadBuf.
class FileReadStream : public std::iostream {
  public:
    FileReadStream(UniqueFd file, std::uint64_t size)
        : std::iostream(nullptr), m_buffer(std::move(file), size) {
        rdbuf(&m_buffer);
    }

  private:
    FileReadBuf m_buffer;
};

}  // namespace skrw::platform
