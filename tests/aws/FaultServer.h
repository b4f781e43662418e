// A small HTTP/1.1 server on 127.0.0.1 for fault-injection tests: it accepts
// one connection at a time on its own thread, reads one request (headers and a
// Content-Length body) and hands it to a script that writes whatever bytes,
// delays, resets or stalls the test needs. Every connection is closed after its
// request, so each attempt of a client arrives on a fresh connection.
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
    std::string method;
    std::string target;
    std::map<std::string, std::string> headers;  // lower-case names
    std::string body;
    std::chrono::steady_clock::time_point arrived;
};

class FaultConnection {
  public:
    FaultConnection(int fd, const std::atomic<bool>& stopping) : m_fd(fd), m_stopping(stopping) {}

    // False when the client has gone away.
    bool send(const std::string& bytes);
    // Sends "HTTP/1.1 <status>" with the given headers, a Content-Length for
    // the body (unless the headers carry one) and the body.
    void respond(int status, const std::string& body, const std::vector<std::string>& headers = {});
    void pause(std::chrono::milliseconds duration);
    // Closes with a TCP reset instead of an orderly close.
    void reset();

  private:
    int m_fd;
    const std::atomic<bool>& m_stopping;
};

class FaultServer {
  public:
    // The script gets the 0-based number of the request and the request.
    using Script = std::function<void(int index, const ReceivedRequest&, FaultConnection&)>;
    // Whether the script runs after the whole request or right after its head
    // (then the request's body holds only what arrived with the head).
    enum class Reading { WholeRequest, HeadOnly };

    explicit FaultServer(Script script, Reading reading = Reading::WholeRequest);
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    int port() const { return m_port; }
    std::string endpoint() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    std::vector<ReceivedRequest> requests() const;

  private:
    void serve();
    void handle(int fd);

    Script m_script;
    Reading m_reading;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_lock;
    std::vector<ReceivedRequest> m_requests;
    std::thread m_thread;
};

// A listening socket on 127.0.0.1 and a free port; throws when none can be made.
int listenOnLoopback(int& port);

// A port on 127.0.0.1 that nothing listens on (bound, then released).
int closedPort();

// "Sun, 06 Nov 1994 08:49:37 GMT" for a time.
std::string httpDate(std::chrono::system_clock::time_point time);

}  // namespace skrw::test
