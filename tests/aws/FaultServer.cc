#include "FaultServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <sstream>
#include <stdexcept>

namespace skrw::test {
namespace {

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Reads one request (only its head when wholeBody is false); false when the
// client closed before sending it.
bool readRequest(int fd, ReceivedRequest& request, bool wholeBody) {
    std::string data;
    char buffer[65536];
    std::size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    std::istringstream head(data.substr(0, headerEnd));
    std::string line, version;
    std::getline(head, line);
    std::istringstream(line) >> request.method >> request.target >> version;
    while (std::getline(head, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::size_t value = line.find_first_not_of(" ", colon + 1);
        std::string_view rest =
            value == std::string::npos ? "" : std::string_view(line).substr(value);
        if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
        request.headers[lower(line.substr(0, colon))] = std::string(rest);
    }
    request.body = data.substr(headerEnd + 4);
    const auto length = request.headers.find("content-length");
    const std::size_t want =
        length == request.headers.end() || !wholeBody ? 0 : std::stoull(length->second);
    while (request.body.size() < want) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        request.body.append(buffer, static_cast<std::size_t>(n));
    }
    request.arrived = std::chrono::steady_clock::now();
    return true;
}

}  // namespace

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen failed");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool FaultConnection::send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;  // the client went away; the script carries on harmlessly
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
        if (lower(header).rfind("content-length:", 0) == 0) hasLength = true;
    }
    if (!hasLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    send(head + body);
}

void FaultConnection::pause(std::chrono::milliseconds duration) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (!m_stopping && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FaultConnection::reset() {
    linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

FaultServer::FaultServer(Script script, Reading reading)
    : m_script(std::move(script)), m_reading(reading) {
    m_listener = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

FaultServer::~FaultServer() {
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
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
        handle(fd);
        ::close(fd);
    }
}

void FaultServer::handle(int fd) {
    ReceivedRequest request;
    if (!readRequest(fd, request, m_reading == Reading::WholeRequest)) return;
    int index;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        index = static_cast<int>(m_requests.size());
        m_requests.push_back(request);
    }
    FaultConnection connection(fd, m_stopping);
    m_script(index, request, connection);
}

int closedPort() {
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

std::string httpDate(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

}  // namespace skrw::test
