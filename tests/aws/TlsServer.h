// A TLS listener on 127.0.0.1 that presents a freshly made self-signed
// certificate, for checking that certificate failures are reported and never
// retried. It counts the connections it accepts and answers nothing else.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace skrw::test {

class TlsServer {
  public:
    TlsServer();
    ~TlsServer();
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    std::string endpoint() const { return "https://127.0.0.1:" + std::to_string(m_port); }
    int connections() const { return m_connections; }

  private:
    void serve();

    void* m_context = nullptr;  // SSL_CTX*
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

}  // namespace skrw::test
