#include "FaultServer.h"

#include <arpa/inet.h>
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

// A failure here fails the handshake, and so the test that needs it.
SSL_CTX* selfSignedContext() {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600);
    X509_set_pubkey(cert.get(), key.get());
    X509_sign(cert.get(), key.get(), EVP_sha256());
    SSL_CTX_use_certificate(context, cert.get());
    SSL_CTX_use_PrivateKey(context, key.get());
    return context;
}

SSL_CTX* contextFor(const FaultOptions& options) {
    if (!options.tls) return nullptr;
    return options.identity.certificate ? serverContextFor(options.identity) : selfSignedContext();
}

// A TCP socket bound to a free port of 127.0.0.1 (its number in `port`), not yet listening.
int bindLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* at = reinterpret_cast<sockaddr*>(&address);
    if (::bind(fd, at, sizeof address) || ::getsockname(fd, at, &length)) {
        throw std::runtime_error("cannot bind a port of 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

int listenOnLoopback(int& port) {
    const int fd = bindLoopback(port);
    if (::listen(fd, 16)) throw std::runtime_error("cannot listen on 127.0.0.1");
    return fd;
}

// Appends what arrives next; false when the client closed.
bool receive(const FaultConnection& c, std::string& data) {
    char buffer[65536];
    const long n =
        c.ssl ? SSL_read(c.ssl, buffer, sizeof buffer) : ::recv(c.fd, buffer, sizeof buffer, 0);
    data.append(buffer, static_cast<std::size_t>(std::max(n, 0L)));
    return n > 0;
}

bool readRequest(const FaultConnection& c, ReceivedRequest& request, bool wholeBody) {
    std::string data;
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (!receive(c, data)) return false;
    }
    std::istringstream head(data.substr(0, headEnd));
    std::string line;
    head >> request.method >> request.target;
    while (std::getline(head, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        const std::size_t value = std::min(line.find_first_not_of(' ', colon + 1), line.size());
        request.headers[name] = line.substr(value, line.size() - value - line.ends_with('\r'));
    }
    request.body = data.substr(headEnd + 4);
    const auto length = request.headers.find("content-length");
    const bool sized = wholeBody && length != request.headers.end();
    while (sized && request.body.size() < std::stoull(length->second)) {
        if (!receive(c, request.body)) return false;
    }
    request.arrived = std::chrono::steady_clock::now();
    return true;
}

}  // namespace

bool FaultConnection::send(const std::string& bytes) {
    long n = 1;
    for (std::size_t done = 0; done < bytes.size() && n > 0; done += std::max(n, 0L)) {
        n = ssl ? SSL_write(ssl, bytes.data() + done, static_cast<int>(bytes.size() - done))
                : ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    }
    return n > 0;
}

void FaultConnection::respond(int status, const std::string& body,
                              const std::vector<std::string>& headers) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " Scripted\r\n";
    for (const std::string& header : headers) head += header + "\r\n";
    send(head + "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
         body);
}

void FaultConnection::pause(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (!stopping && std::chrono::steady_clock::now() < until) usleep(10'000);
}

void FaultConnection::reset() {
    const linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

FaultServer::FaultServer(Script script, FaultOptions options)
    : m_script(std::move(script)),
      m_options(options),
      m_context(contextFor(options)),
      m_listener(listenOnLoopback(m_port)),
      m_thread([this] { serve(); }) {}

FaultServer::~FaultServer() {
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
    SSL_CTX_free(m_context);
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
        std::unique_ptr<SSL, decltype(&SSL_free)> ssl(m_context ? SSL_new(m_context) : nullptr,
                                                      SSL_free);
        if (ssl) SSL_set_fd(ssl.get(), fd);
        FaultConnection connection{fd, ssl.get(), m_stopping};
        ReceivedRequest request;
        if ((!ssl || SSL_accept(ssl.get()) == 1) &&
            readRequest(connection, request, !m_options.headOnly)) {
            std::unique_lock<std::mutex> guard(m_lock);
            m_requests.push_back(request);
            guard.unlock();  // no other thread adds requests
            m_script(static_cast<int>(m_requests.size()) - 1, request, connection);
        }
        ::close(fd);
    }
}

ClosedPort::ClosedPort() : m_fd(bindLoopback(m_port)) {}

ClosedPort::~ClosedPort() {
    ::close(m_fd);
}

std::string ClosedPort::endpoint() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::string unresolvableEndpoint() {
    return "http://" + std::string(64, 'x') + ".invalid";
}

std::string errorBody(const std::string& code, const std::string& message) {
    return "<Error><Code>" + code + "</Code><Message>" + message + "</Message></Error>";
}

}  // namespace skrw::test
