#pragma once
// A certificate authority made for one test, and the server certificates it signs: what a TLS test
// server shows and what a client is told to trust.
#include <openssl/ssl.h>

#include <memory>
#include <string>

namespace skrw::test {

// A server's certificate and private key.
struct ServerIdentity {
    std::shared_ptr<X509> certificate;
    std::shared_ptr<EVP_PKEY> key;
};

class TestAuthority {
  public:
    TestAuthority();  // throws std::runtime_error when OpenSSL fails

    // A certificate for the names in `subjectAltName` ("IP:127.0.0.1", "DNS:host.example", ...),
    // valid for an hour.
    ServerIdentity issue(const std::string& subjectAltName) const;
    // Writes the authority's own certificate (PEM) to `path`: the bundle a client trusts.
    void writeBundle(const std::string& path) const;

  private:
    ServerIdentity m_self;
};

// A server context showing `identity` (the caller frees it); throws when OpenSSL refuses it.
SSL_CTX* serverContextFor(const ServerIdentity& identity);

}  // namespace skrw::test
