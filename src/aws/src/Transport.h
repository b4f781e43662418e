#pragma once

#include <aws/core/utils/memory/stl/AWSStreamFwd.h>

#include <chrono>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Signer.h"
#include "SpillBuffer.h"

namespace skrw::aws {

struct HttpRequest {
    std::string method;  // GET, PUT or DELETE
    std::string url;     // sent exactly as given (no path normalisation)
    std::vector<Header> headers;
    // PUT only: the body is read from the stream's current position; exactly
    // bodyLength bytes are sent (no body when the stream is null). A 2xx
    // answer that ends before curl has handed all of them to the connection
    // is a transport failure (a non-2xx answer keeps its own meaning).
    std::istream* body = nullptr;
    std::uint64_t bodyLength = 0;
    // A 2xx body larger than this is refused (0: unbounded, as for downloads).
    // Bodies of other answers are always bounded by kMaxDocumentBytes.
    std::uint64_t maxSuccessBodyBytes = 0;
    // When set, a 2xx body is written into a stream this factory makes (asked
    // once per response, even for an empty body) instead of the SpillBuffer.
    const Aws::IOStreamFactory* successBodyFactory = nullptr;
};

inline constexpr std::uint64_t kMaxDocumentBytes = 16u << 20;
// Why an answer over kMaxDocumentBytes is refused.
inline constexpr std::string_view kAnswerTooLarge = "the answer is larger than 16 MiB";

// How long a server may think after it has received a whole request body
// before its answer begins: storing a large upload takes time on some servers,
// and no byte is due to move meanwhile. Also the default bound on the answer's head.
inline constexpr std::chrono::seconds kAnswerWait{120};

struct TransportSettings {
    long connectTimeoutMs = 1000;
    // Abandon a transfer that moves less than lowSpeedLimit bytes/s for this
    // long. The wait for an answer after a whole request body was sent is
    // bounded apart (two minutes), since a server may take time to store what
    // it received.
    long lowSpeedTimeSeconds = 3;
    long lowSpeedLimit = 1;
    // However steadily its bytes arrive, the answer's head (status line and
    // headers) must be complete within this long of the end of the request
    // (its last body byte sent); otherwise a retryable transport failure.
    std::chrono::milliseconds headTimeout = kAnswerWait;
    bool verifyTls = true;
    // A PEM file of the certificate authorities trusted instead of the system's store ("" for the
    // system's store). Certificates are checked against it just the same.
    std::string caBundle;
};

struct HttpResponse {
    // Set when no complete answer arrived, or a 2xx came before the whole
    // upload body was sent: the description for the user (curl's text or
    // what fell short; never a secret) and whether a retry might help.
    bool transportFailed = false;
    bool retryable = false;
    std::string transportMessage;
    bool bodyTooLarge = false;
    bool bodyUnreadable = false;  // the upload stream failed while sending
    bool bodyUnwritable = false;  // no success stream was made, or a write to it failed

    long status = 0;
    std::vector<Header> headers;  // names in lower case, in order received
    // A bounded body (every non-2xx body, and a 2xx one when the request caps
    // it) is a document to parse. The parser holds a document whole in memory,
    // so it is collected in memory, never spilled to a file only to be read
    // back whole: kMaxDocumentBytes is the bound on its memory.
    std::string document;
    // An unbounded 2xx body without a factory (object data): in memory up to
    // the SpillBuffer's bound, then in a temporary file.
    SpillBuffer body;
    // The stream a 2xx body went to when the request had a factory, and how
    // many bytes of this response it holds.
    std::unique_ptr<std::iostream> successBody;
    std::uint64_t successBodyBytes = 0;

    // The first header of that (lower-case) name.
    std::optional<std::string> header(std::string_view name) const;
};

// One curl easy handle, reused for the requests of one client so that retries
// can reuse the connection. Not for concurrent use. Needs curl_global_init
// (Aws::InitAPI).
class Transport {
  public:
    Transport();
    ~Transport();
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Never throws for a failed transfer; only std::bad_alloc may escape.
    HttpResponse perform(const HttpRequest& request, const TransportSettings& settings);

  private:
    void* m_handle;  // CURL*
};

}  // namespace skrw::aws
