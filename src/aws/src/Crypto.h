#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace skrw::aws {

using Sha256Digest = std::array<unsigned char, 32>;

// Incremental SHA-256 over libcrypto. The OpenSSL context is owned and freed
// with the object. Throws std::bad_alloc when libcrypto cannot make a context.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(const void* data, std::size_t size);
    Sha256Digest finish();

  private:
    struct Context;
    Context* m_context;
};

Sha256Digest sha256(std::string_view data);
Sha256Digest hmacSha256(std::string_view key, std::string_view data);
std::string toHex(const unsigned char* data, std::size_t size);
inline std::string toHex(const Sha256Digest& digest) {
    return toHex(digest.data(), digest.size());
}
inline std::string_view asText(const Sha256Digest& digest) {
    return {reinterpret_cast<const char*>(digest.data()), digest.size()};
}

}  // namespace skrw::aws
