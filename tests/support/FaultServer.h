// A misbehaving server on 127.0.0.1 for fault tests: one connection at a time on its own thread,
// each read as one request (its head, and a Content-Length body unless told not to) and handed to
// a script that writes whatever bytes, pauses, resets or stalls the test needs; the connection is
// closed after its request, so every attempt of a client arrives on a fresh connection. With TLS
// it presents a freshly made self-signed certificate that no trust store knows.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skrw::test {

struct ReceivedRequest {
    std::string method, target, body;
    std::map<std::string, std::string> headers;  // lower-case names
    std::chrono::steady_clock::time_point arrived;
};

class FaultConnection {
  public:
    // False once the client has gone away.
    bool send(const std::string& bytes);
    // "HTTP/1.1 <status>", the headers, a Content-Length (unless given) and the body.
    void respond(int status, const std::string& body, const std::vector<std::string>& headers = {});
    void pause(std::chrono::milliseconds duration);
    void reset();  // closes with a TCP reset instead of an orderly close

    int fd;
    void* ssl;  // SSL*, or null for plain HTTP
    const std::atomic<bool>& stopping;
};

struct FaultOptions {
    bool headOnly = false;  // run the script right after the request's head
    bool tls = false;
};

class FaultServer {
  public:
    using Options = FaultOptions;
    using Script = std::function<void(int index, const ReceivedRequest&, FaultConnection&)>;
    explicit FaultServer(Script script, Options options = {});
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    std::string endpoint() const;
    std::vector<ReceivedRequest> requests() const;
    int connections() const { return m_connections; }  // TLS handshakes that failed included

  private:
    void serve();

    Script m_script;
    Options m_options;
    void* m_context = nullptr;  // SSL_CTX*
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_lock;
    std::vector<ReceivedRequest> m_requests;
    std::thread m_thread;
};

// "http://127.0.0.1:<port>" where nothing listens (bound, then released).
std::string closedPortEndpoint();

// An S3 error document.
std::string errorBody(const std::string& code, const std::string& message);

}  // namespace skrw::test
