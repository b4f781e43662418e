#include "FaultServer.h"

#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace skrw::test {
namespace {

SSL_CTX* selfSignedContext() {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_server_method()),
                                                              SSL_CTX_free);
    if (!key || !cert || !context) throw std::runtime_error("cannot make a TLS context");
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) == 0 ||
        SSL_CTX_use_certificate(context.get(), cert.get()) != 1 ||
        SSL_CTX_use_PrivateKey(context.get(), key.get()) != 1) {
        throw std::runtime_error("cannot set up the TLS context");
    }
    return context.release();
}

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

long receive(const FaultConnection& c, char* buffer, int size) {
    return c.ssl ? SSL_read(static_cast<SSL*>(c.ssl), buffer, size) : ::recv(c.fd, buffer, size, 0);
}

// One request (its head only when wholeBody is false); false when the client closed first.
bool readRequest(const FaultConnection& c, ReceivedRequest& request, bool wholeBody) {
    std::string data;
    char buffer[65536];
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const long n = receive(c, buffer, sizeof buffer);
        if (n <= 0) return false;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    std::istringstream head(data.substr(0, headEnd));
    std::string line;
    head >> request.method >> request.target;
    std::getline(head, line);
    while (std::getline(head, line, '\r')) {
        if (line.starts_with('\n')) line.erase(0, 1);
        const std::size_t colon = line.find(':');
        std::string name = line.substr(0, colon);
        for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        const std::size_t value = std::min(line.find_first_not_of(' ', colon + 1), line.size());
        if (colon != std::string::npos) request.headers[name] = line.substr(value);
    }
    request.body = data.substr(headEnd + 4);
    const auto length = request.headers.find("content-length");
    const std::size_t want =
        wholeBody && length != request.headers.end() ? std::stoull(length->second) : 0;
    while (request.body.size() < want) {
        const long n = receive(c, buffer, sizeof buffer);
        if (n <= 0) return false;
        request.body.append(buffer, static_cast<std::size_t>(n));
    }
    request.arrived = std::chrono::steady_clock::now();
    return true;
}

}  // namespace

bool FaultConnection::send(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        const long n = ssl ? SSL_write(static_cast<SSL*>(ssl), bytes.data() + done, chunk)
                           : ::send(fd, bytes.data() + done, chunk, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void FaultConnection::respond(int status, const std::string& body,
                              const std::vector<std::string>& headers) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\n";
    bool hasLength = false;
    for (const std::string& header : headers) {
        head += header + "\r\n";
        hasLength = hasLength || header.starts_with("Content-Length:");
    }
    if (!hasLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    send(head + "Connection: close\r\n\r\n" + body);
}

void FaultConnection::pause(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (!stopping && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FaultConnection::reset() {
    const linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

FaultServer::FaultServer(Script script, Options options)
    : m_script(std::move(script)), m_options(options) {
    if (options.tls) m_context = selfSignedContext();
    m_listener = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

FaultServer::~FaultServer() {
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
    SSL_CTX_free(static_cast<SSL_CTX*>(m_context));
}

std::string FaultServer::endpoint() const {
    return (m_options.tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port);
}

std::vector<ReceivedRequest> FaultServer::requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

void FaultServer::serve() {
    while (!m_stopping) {
        pollfd entry{m_listener, POLLIN, 0};
        if (::poll(&entry, 1, 50) <= 0) continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++m_connections;
        std::unique_ptr<SSL, decltype(&SSL_free)> ssl(
            m_context ? SSL_new(static_cast<SSL_CTX*>(m_context)) : nullptr, SSL_free);
        if (ssl) SSL_set_fd(ssl.get(), fd);
        FaultConnection connection{fd, ssl.get(), m_stopping};
        ReceivedRequest request;
        if ((!ssl || SSL_accept(ssl.get()) == 1) &&
            readRequest(connection, request, !m_options.headOnly)) {
            int index;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                index = static_cast<int>(m_requests.size());
                m_requests.push_back(request);
            }
            m_script(index, request, connection);
        }
        ssl.reset();
        ::close(fd);
    }
}

std::string closedPortEndpoint() {
    int port = 0;
    ::close(listenOnLoopback(port));
    return "http://127.0.0.1:" + std::to_string(port);
}

std::string errorBody(const std::string& code, const std::string& message) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Error><Code>" + code + "</Code><Message>" +
           message + "</Message><RequestId>r</RequestId></Error>";
}

}  // namespace skrw::test
