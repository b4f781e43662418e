#include "Crypto.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <new>

namespace skrw::aws {

struct Sha256::Context {
    EVP_MD_CTX* ctx;
};

Sha256::Sha256() : m_context(new Context{EVP_MD_CTX_new()}) {
    if (m_context->ctx == nullptr ||
        EVP_DigestInit_ex(m_context->ctx, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(m_context->ctx);
        delete m_context;
        throw std::bad_alloc();
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(m_context->ctx);
    delete m_context;
}

void Sha256::update(const void* data, std::size_t size) {
    EVP_DigestUpdate(m_context->ctx, data, size);
}

Sha256Digest Sha256::finish() {
    Sha256Digest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->ctx, digest.data(), &length);
    return digest;
}

Sha256Digest sha256(std::string_view data) {
    Sha256 hash;
    hash.update(data.data(), data.size());
    return hash.finish();
}

Sha256Digest hmacSha256(std::string_view key, std::string_view data) {
    Sha256Digest digest{};
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest.data(), &length);
    return digest;
}

std::string toHex(const unsigned char* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0F]);
    }
    return text;
}

}  // namespace skrw::aws
