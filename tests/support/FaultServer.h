// A misbehaving server on 127.0.0.1: each connection carries one request, handed to a script that
// writes, pauses or resets as the test needs. With TLS it shows the identity it is given, else a
// self-signed certificate trusted by no one.
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestCertificates.h"

namespace skrw::test {

struct ReceivedRequest {
    std::string method, target, body;
    std::map<std::string, std::string> headers;  // lower-case names
    std::chrono::steady_clock::time_point arrived;
};

class FaultConnection {
  public:
    bool send(const std::string& bytes);
    void respond(int status, const std::string& body, const std::vector<std::string>& headers = {});
    void pause(std::chrono::milliseconds duration);
    void reset();  // the close becomes a TCP reset

    int fd;
    SSL* ssl;  // null for plain HTTP
    const std::atomic<bool>& stopping;
};

struct FaultOptions {
    bool headOnly = false;  // run the script right after the request's head
    bool tls = false;
    ServerIdentity identity{};  // with tls, when set: the certificate shown
};

class FaultServer {
  public:
    using Script = std::function<void(int index, const ReceivedRequest&, FaultConnection&)>;
    explicit FaultServer(Script script, FaultOptions options = {});
    ~FaultServer();

    std::string endpoint() const;
    std::vector<ReceivedRequest> requests() const;

  private:
    void serve();

    Script m_script;
    FaultOptions m_options;
    SSL_CTX* m_context;
    int m_port;  // set by the listener's initialisation
    int m_listener;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_lock;
    std::vector<ReceivedRequest> m_requests;
    std::thread m_thread;
};

// A port of 127.0.0.1 bound but never listening: a connection to it is refused, and no other
// socket can take the port while this object lives.
class ClosedPort {
  public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    std::string endpoint() const;

  private:
    int m_port;  // set by the socket's initialisation
    int m_fd;
};

// An endpoint whose host name no resolver can answer: a label of 64 characters is not a DNS name,
// so the lookup fails without asking any server, and ".invalid" is reserved never to resolve.
std::string unresolvableEndpoint();
std::string errorBody(const std::string& code, const std::string& message);

}  // namespace skrw::test
