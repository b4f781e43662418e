#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "platform/Descriptor.h"

namespace skrw::aws {

// Collects object data a response carries: in memory up to a bound, then (the
// memory part first) in an unnamed temporary file that disappears with its
// descriptor, so a multi-gigabyte body never takes its size in memory. The
// file is only ever handed over as a stream (takeStream), never read back whole.
class SpillBuffer {
  public:
    static constexpr std::size_t kDefaultMemoryLimit = 4u << 20;

    explicit SpillBuffer(std::size_t memoryLimit = kDefaultMemoryLimit);
    SpillBuffer(SpillBuffer&&) noexcept = default;
    SpillBuffer& operator=(SpillBuffer&&) noexcept = default;

    // False when the temporary file cannot be made or written; the reason is
    // then in failure().
    [[nodiscard]] bool append(const char* data, std::size_t size);

    std::uint64_t size() const { return m_size; }
    const std::string& failure() const { return m_failure; }

    // Hands the body over as a readable stream positioned at its start. The
    // buffer is empty afterwards.
    std::unique_ptr<std::iostream> takeStream();

  private:
    [[nodiscard]] bool spill();

    std::size_t m_memoryLimit;
    std::string m_memory;
    platform::UniqueFd m_file;
    std::uint64_t m_size = 0;
    std::string m_failure;
};

// Makes an unnamed temporary file (removed when the descriptor closes) in
// $TMPDIR or /tmp. Returns an invalid descriptor and sets errno on failure.
platform::UniqueFd makeUnnamedTempFile();

}  // namespace skrw::aws
