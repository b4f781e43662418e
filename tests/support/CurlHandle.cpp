#include "CurlHandle.h"

#include <stdexcept>

namespace skrw::test {
namespace {

size_t appendTo(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

}  // namespace

CurlHandle::CurlHandle() : m_handle(curl_easy_init()) {
    if (m_handle == nullptr) throw std::runtime_error("libcurl gave no easy handle");
}

CurlHandle::~CurlHandle() {
    curl_easy_cleanup(m_handle);
}

void CurlHandle::collectBodyInto(std::string& body) {
    curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, &body);
}

CURLcode CurlHandle::perform(const std::string& url) {
    curl_easy_setopt(m_handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_handle, CURLOPT_TIMEOUT, 30L);
    return curl_easy_perform(m_handle);
}

long CurlHandle::status() const {
    long status = 0;
    curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

}  // namespace skrw::test
