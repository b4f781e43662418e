#include "TestCertificates.h"

#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <cstdint>
#include <stdexcept>

namespace skrw::test {
namespace {

void require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("test certificate: ") + what);
}

std::shared_ptr<EVP_PKEY> newKey() {
    std::shared_ptr<EVP_PKEY> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    require(key != nullptr, "no key");
    return key;
}

// A version 3 certificate for `key` named `commonName`, valid from a minute ago for an hour, with
// a random serial number.
std::shared_ptr<X509> newCertificate(EVP_PKEY* key, const std::string& commonName) {
    std::uint64_t serial = 0;
    require(RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) == 1, "serial");
    std::shared_ptr<X509> cert(X509_new(), X509_free);
    require(cert != nullptr, "no certificate");
    X509_NAME* name = X509_get_subject_name(cert.get());
    const auto* text = reinterpret_cast<const unsigned char*>(commonName.c_str());
    require(X509_set_version(cert.get(), 2) &&
                ASN1_INTEGER_set_uint64(X509_get_serialNumber(cert.get()), serial >> 1 | 1) &&
                X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60) &&
                X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600) &&
                X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, text, -1, -1, 0) &&
                X509_set_pubkey(cert.get(), key),
            "certificate fields");
    return cert;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, decltype(&X509_EXTENSION_free)> extension(
        X509V3_EXT_conf_nid(nullptr, &context, nid, value), X509_EXTENSION_free);
    require(extension && X509_add_ext(cert, extension.get(), -1), value);
}

}  // namespace

TestAuthority::TestAuthority() : m_self{nullptr, newKey()} {
    m_self.certificate = newCertificate(m_self.key.get(), "skrw test authority");
    X509* cert = m_self.certificate.get();
    require(X509_set_issuer_name(cert, X509_get_subject_name(cert)), "issuer");
    addExtension(cert, cert, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert, cert, NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(cert, cert, NID_subject_key_identifier, "hash");
    require(X509_sign(cert, m_self.key.get(), EVP_sha256()) > 0, "authority signature");
}

ServerIdentity TestAuthority::issue(const std::string& subjectAltName) const {
    ServerIdentity identity{nullptr, newKey()};
    identity.certificate = newCertificate(identity.key.get(), "skrw test server");
    X509* cert = identity.certificate.get();
    X509* issuer = m_self.certificate.get();
    require(X509_set_issuer_name(cert, X509_get_subject_name(issuer)), "issuer");
    addExtension(cert, issuer, NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert, issuer, NID_ext_key_usage, "serverAuth");
    addExtension(cert, issuer, NID_authority_key_identifier, "keyid:always");
    addExtension(cert, issuer, NID_subject_alt_name, subjectAltName.c_str());
    require(X509_sign(cert, m_self.key.get(), EVP_sha256()) > 0, "server signature");
    return identity;
}

void TestAuthority::writeBundle(const std::string& path) const {
    std::unique_ptr<BIO, decltype(&BIO_free)> file(BIO_new_file(path.c_str(), "w"), BIO_free);
    require(file && PEM_write_bio_X509(file.get(), m_self.certificate.get()), "bundle not written");
}

// No session tickets: the server would write them once the handshake ends, when a client that
// refuses the certificate's name has already closed, and the write would raise SIGPIPE.
SSL_CTX* serverContextFor(const ServerIdentity& identity) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context != nullptr && SSL_CTX_use_certificate(context, identity.certificate.get()) == 1 &&
        SSL_CTX_use_PrivateKey(context, identity.key.get()) == 1 &&
        SSL_CTX_set_num_tickets(context, 0) == 1) {
        return context;
    }
    SSL_CTX_free(context);
    throw std::runtime_error("test certificate: no server context");
}

}  // namespace skrw::test
