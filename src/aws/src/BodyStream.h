#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>

#include "UniqueFd.h"

namespace skrw::aws {

// A read-only, seekable stream buffer over a body held either in memory or in
// a file descriptor it owns. Bulk reads (as by `out << in.rdbuf()`) move large
// chunks, so copying a body costs no per-byte calls.
class BodyStreamBuf : public std::streambuf {
  public:
    explicit BodyStreamBuf(std::string memory);
    BodyStreamBuf(UniqueFd file, std::uint64_t size);

  protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* out, std::streamsize count) override;
    std::streamsize showmanyc() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir,
                     std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

  private:
    std::uint64_t position() const;  // logical read position
    bool fillFrom(std::uint64_t offset);

    std::string m_memory;  // the body itself, or the read window over the file
    UniqueFd m_file;
    std::uint64_t m_size = 0;
    std::uint64_t m_windowStart = 0;  // file offset of m_memory[0] when reading a file
};

// An iostream that owns its BodyStreamBuf.
class BodyStream : public std::iostream {
  public:
    explicit BodyStream(std::unique_ptr<BodyStreamBuf> buffer)
        : std::iostream(buffer.get()), m_buffer(std::move(buffer)) {}

  private:
    std::unique_ptr<BodyStreamBuf> m_buffer;
};

}  // namespace skrw::aws
