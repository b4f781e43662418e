#pragma once
// One libcurl easy handle for tests that talk to a server themselves.
#include <curl/curl.h>

#include <string>

namespace skrw::test {

// Owns a libcurl easy handle, cleaned up on destruction. Options beyond those set here are set
// on get() directly.
class CurlHandle {
  public:
    CurlHandle();  // throws std::runtime_error when libcurl gives no handle
    ~CurlHandle();
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    CURL* get() const { return m_handle; }

    // Appends the body of every answer to `body` (otherwise libcurl writes it to stdout).
    void collectBodyInto(std::string& body);

    // Performs the transfer set up so far with `url`, giving up after 30 s; libcurl's code.
    CURLcode perform(const std::string& url);

    // The HTTP status of the last answer (0 when none came).
    long status() const;

  private:
    CURL* m_handle;
};

}  // namespace skrw::test
