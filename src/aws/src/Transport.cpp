#include "Transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>

namespace skrw::aws {
namespace {

constexpr long kReceiveBufferBytes = 512L << 10;
constexpr long kSendBufferBytes = 512L << 10;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

// State shared with curl's callbacks during one transfer.
struct TransferState {
    CURL* handle;
    const HttpRequest* request;
    HttpResponse* response;
    std::uint64_t sent = 0;
    // The low-speed watch (see onProgress).
    std::chrono::steady_clock::duration lowSpeedTime{};
    curl_off_t lowSpeedBytes = 0;  // bytes that lowSpeedTime must move at the low-speed limit
    std::chrono::steady_clock::time_point lastProgress{};
    std::chrono::steady_clock::time_point windowStart{};
    curl_off_t windowBytes = 0;
    curl_off_t lastBytes = 0;
    curl_off_t headerBytes = 0;
    bool stalled = false;
    // The head rule (see onProgress).
    std::chrono::milliseconds headTimeout{};
    std::optional<std::chrono::steady_clock::time_point> requestEnd{};
    bool headComplete = false;
    bool headLate = false;
};

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    const std::string_view line(data, size * count);
    state->headerBytes += static_cast<curl_off_t>(line.size());
    if (line.substr(0, 5) == "HTTP/") {
        // A new answer begins (after an interim 1xx): forget earlier headers.
        state->response->headers.clear();
        return line.size();
    }
    if (line == "\r\n" || line == "\n") {
        long status = 0;
        curl_easy_getinfo(state->handle, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200) state->headComplete = true;  // not an interim 1xx head
        return line.size();
    }
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
        state->response->headers.push_back(
            {lowerCase(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1)))});
    }
    return line.size();
}

bool isSuccess(long status) {
    return status >= 200 && status < 300;
}

// Asks the request's factory for this response's stream, once.
bool openSuccessBody(const HttpRequest& request, HttpResponse& response) {
    if (response.successBody) return true;
    try {
        response.successBody.reset((*request.successBodyFactory)());
    } catch (...) {
        response.successBody.reset();
    }
    if (!response.successBody) response.bodyUnwritable = true;
    return !response.bodyUnwritable;
}

size_t toSuccessBody(const HttpRequest& request, HttpResponse& response, const char* data,
                     size_t bytes) {
    if (!openSuccessBody(request, response)) return 0;
    std::iostream& stream = *response.successBody;
    try {
        stream.write(data, static_cast<std::streamsize>(bytes));
    } catch (...) {
        stream.setstate(std::ios_base::badbit);
    }
    if (!stream) {
        response.bodyUnwritable = true;
        return 0;
    }
    response.successBodyBytes += bytes;
    return bytes;
}

// Pushes what the stream still buffers to its destination; a failure there is
// a failed write.
void flushSuccessBody(HttpResponse& response) {
    std::iostream& stream = *response.successBody;
    try {
        stream.flush();
    } catch (...) {
        stream.setstate(std::ios_base::badbit);
    }
    if (!stream) response.bodyUnwritable = true;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    const size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(state->handle, CURLINFO_RESPONSE_CODE, &status);
    if (isSuccess(status) && state->request->successBodyFactory != nullptr) {
        return toSuccessBody(*state->request, *state->response, data, bytes);
    }
    std::uint64_t limit = kMaxDocumentBytes;
    if (isSuccess(status)) limit = state->request->maxSuccessBodyBytes;
    HttpResponse& response = *state->response;
    if (limit == 0) return response.body.append(data, bytes) ? bytes : 0;
    if (response.document.size() + bytes > limit) {
        response.bodyTooLarge = true;
        return 0;
    }
    try {
        response.document.append(data, bytes);
    } catch (const std::bad_alloc&) {
        return 0;  // no exception may cross curl; the transfer fails as a write error
    }
    return bytes;
}

size_t onUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    const std::uint64_t left = state->request->bodyLength - state->sent;
    const size_t want = static_cast<size_t>(std::min<std::uint64_t>(size * count, left));
    if (want == 0) return 0;
    std::istream& body = *state->request->body;
    body.read(buffer, static_cast<std::streamsize>(want));
    const auto got = static_cast<size_t>(body.gcount());
    if (got == 0) {
        state->response->bodyUnreadable = true;
        return CURL_READFUNC_ABORT;
    }
    state->sent += got;
    return got;
}

// Whether the whole request (its head and every byte of its body) has been
// handed to the connection.
bool requestEnded(const TransferState& state, curl_off_t uploaded) {
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(state.handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    const std::uint64_t bodyLength = state.request->body ? state.request->bodyLength : 0;
    return pretransfer > 0 && static_cast<std::uint64_t>(uploaded) >= bodyLength;
}

// A server that trickles its answer's head fast enough for the low-speed rule
// would otherwise hold the call for ever. The bound runs from the end of the
// request, or from the head's first line when the server answers before it has
// read the whole body (the body then stops moving, and the trickling head alone
// would keep the low-speed rule satisfied).
bool headIsLate(TransferState& state, curl_off_t uploaded,
                std::chrono::steady_clock::time_point now) {
    if (state.headComplete) return false;
    if (!state.requestEnd) {
        if (state.headerBytes > 0 || requestEnded(state, uploaded)) state.requestEnd = now;
        return false;
    }
    state.headLate = now - *state.requestEnd >= state.headTimeout;
    return state.headLate;
}

// Abandons a transfer that moves less than the low-speed limit (bytes per
// second) for the low-speed time: at once when nothing at all moved for that
// long, and otherwise when a whole window of that length moved fewer bytes than
// the limit asks of it. curl's own low-speed check averages over several
// seconds and would let a dead stop run on for up to five more, and it would
// count a server's thinking after an upload as a stall.
int onProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto* state = static_cast<TransferState*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (headIsLate(*state, uploaded, now)) return 1;
    const curl_off_t bytes = downloaded + uploaded + state->headerBytes;
    if (bytes != state->lastBytes) {
        state->lastBytes = bytes;
        state->lastProgress = now;
    }
    const bool bodySent = state->request->body != nullptr && state->request->bodyLength > 0 &&
                          static_cast<std::uint64_t>(uploaded) == state->request->bodyLength;
    if (bodySent && state->headerBytes == 0) {
        state->windowStart = now;
        state->windowBytes = bytes;
        if (now - state->lastProgress < kAnswerWait) return 0;
        state->stalled = true;
        return 1;
    }
    if (now - state->lastProgress >= state->lowSpeedTime) {
        state->stalled = true;
        return 1;
    }
    if (now - state->windowStart >= state->lowSpeedTime) {
        if (bytes - state->windowBytes < state->lowSpeedBytes) {
            state->stalled = true;
            return 1;
        }
        state->windowStart = now;
        state->windowBytes = bytes;
    }
    return 0;
}

// Failures of the link itself, which the same request can get past on another
// attempt: a name that did not resolve, a connection refused, reset, cut short
// (curl itself fails an answer that ends before its Content-Length) or timed
// out, a TLS handshake that broke off. Everything else curl reports (a
// certificate that does not verify, a request curl cannot even make, such as a
// URL too long for its buffers or a malformed one) fails the same way on every
// attempt and is reported at once.
bool isTransientFailure(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_HTTP2:
        case CURLE_PARTIAL_FILE:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_HTTP2_STREAM:
        case CURLE_AGAIN:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_HTTP3:
        case CURLE_QUIC_CONNECT_ERROR:
        case CURLE_PROXY:
            return true;
        default:
            return false;
    }
}

SlistPtr headerList(const HttpRequest& request) {
    curl_slist* list = nullptr;
    auto add = [&list](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            throw std::bad_alloc();
        }
        list = grown;
    };
    for (const Header& header : request.headers) add(header.name + ": " + header.value);
    // No "Expect: 100-continue" round trip and no "Accept" guess: the signed
    // headers above are what the service sees.
    add("Expect:");
    return SlistPtr(list);
}

void configure(CURL* curl, const HttpRequest& request, const TransportSettings& settings,
               curl_slist* headers, TransferState& state, char* errorBuffer) {
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, settings.verifyTls ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, settings.verifyTls ? 2L : 0L);
    if (!settings.caBundle.empty()) {
        // The bundle alone: the system's certificate folder is not consulted either.
        curl_easy_setopt(curl, CURLOPT_CAINFO, settings.caBundle.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    }
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, kSendBufferBytes);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, SKRW_USER_AGENT);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    state.lowSpeedTime = std::chrono::seconds(settings.lowSpeedTimeSeconds);
    state.lowSpeedBytes = static_cast<curl_off_t>(settings.lowSpeedTimeSeconds) *
                          static_cast<curl_off_t>(settings.lowSpeedLimit);
    state.headTimeout = settings.headTimeout;
    state.lastProgress = state.windowStart = std::chrono::steady_clock::now();
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
    if (request.method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE,
                         static_cast<curl_off_t>(request.body ? request.bodyLength : 0));
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, onUpload);
        curl_easy_setopt(curl, CURLOPT_READDATA, &state);
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        if (request.method != "GET") {
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        }
    }
}

// An answer that came before the whole upload body was sent (a server or proxy
// that answered without reading it, then closed) does not show that the object
// was stored: a transport failure that a retry can mend. An error answer keeps
// its own message.
void checkBodySent(const HttpRequest& request, curl_off_t sent, HttpResponse& response) {
    if (request.body == nullptr || response.transportFailed || !isSuccess(response.status) ||
        static_cast<std::uint64_t>(sent) >= request.bodyLength) {
        return;
    }
    response.transportFailed = true;
    response.retryable = true;
    response.transportMessage = "only " + std::to_string(sent) + " of " +
                                std::to_string(request.bodyLength) + " bytes of the body were sent";
}

std::string describe(std::chrono::milliseconds duration) {
    const auto count = duration.count();
    return count % 1000 == 0 ? std::to_string(count / 1000) + " s" : std::to_string(count) + " ms";
}

}  // namespace

std::optional<std::string> HttpResponse::header(std::string_view name) const {
    for (const Header& h : headers) {
        if (h.name == name) return h.value;
    }
    return std::nullopt;
}

Transport::Transport() : m_handle(curl_easy_init()) {
    if (m_handle == nullptr) throw std::bad_alloc();
}

Transport::~Transport() {
    curl_easy_cleanup(static_cast<CURL*>(m_handle));
}

HttpResponse Transport::perform(const HttpRequest& request, const TransportSettings& settings) {
    CURL* curl = static_cast<CURL*>(m_handle);
    curl_easy_reset(curl);
    HttpResponse response;
    TransferState state{curl, &request, &response};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    SlistPtr headers = headerList(request);
    configure(curl, request, settings, headers.get(), state, errorBuffer);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    curl_off_t bodySent = 0;
    curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &bodySent);
    // The handle must not keep pointers to this call's buffers and state; the
    // reset keeps its connections for the next request.
    curl_easy_reset(curl);
    if (code == CURLE_OK && request.successBodyFactory != nullptr && isSuccess(response.status)) {
        // An empty body still gets its (empty) stream; what the stream buffers
        // must reach its destination before the answer counts as complete.
        if (openSuccessBody(request, response)) flushSuccessBody(response);
    }
    const bool localFailure =
        response.bodyTooLarge || response.bodyUnreadable || response.bodyUnwritable;
    if (code != CURLE_OK && !localFailure) {
        response.transportFailed = true;
        response.retryable = (isTransientFailure(code) || state.stalled || state.headLate) &&
                             response.body.failure().empty();
        response.transportMessage = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
        if (state.stalled) {
            // Worded as curl words its own low-speed abort.
            response.transportMessage = "Operation too slow. Less than " +
                                        std::to_string(settings.lowSpeedLimit) +
                                        " bytes/sec transferred the last " +
                                        std::to_string(settings.lowSpeedTimeSeconds) + " seconds";
        }
        if (state.headLate) {
            response.transportMessage =
                "the answer's head was not complete within " + describe(settings.headTimeout);
        }
        if (!response.body.failure().empty()) response.transportMessage = response.body.failure();
    }
    if (!localFailure) {
        checkBodySent(request, bodySent, response);
    }
    return response;
}

}  // namespace skrw::aws
