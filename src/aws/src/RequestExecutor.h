#pragma once

#include <aws/core/auth/AWSAuthSigner.h>
#include <aws/core/auth/AWSCredentials.h>
#include <aws/core/client/ClientConfiguration.h>
#include <aws/s3/S3Errors.h>

#include <chrono>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "Endpoint.h"
#include "Retry.h"
#include "Signer.h"
#include "Transport.h"
#include "UriEncoding.h"

namespace skrw::aws {

// One S3 operation's request, before addressing and signing.
struct OperationRequest {
    std::string method;
    std::string bucket;              // empty: the service itself (ListBuckets)
    std::optional<std::string> key;  // set for object operations, even when empty
    std::vector<QueryParameter> query;
    std::vector<Header> headers;  // operation headers, signed (content-type, x-amz-copy-source)
    // PUT body: read from its current position; rewound there before a retry.
    std::istream* body = nullptr;
    std::optional<std::uint64_t> bodyLength;  // measured from the stream when not given
    bool streamedDownload = false;  // a 2xx body is object data: unbounded, never an error document
    // Streamed downloads only: where each attempt's 2xx body is written
    // (see GetObjectRequest::SetResponseStreamFactory).
    const Aws::IOStreamFactory* responseStreamFactory = nullptr;
};

// The answer to an operation: an error, or a 2xx response.
struct OperationAnswer {
    std::optional<Aws::S3::S3Error> error;
    HttpResponse response;
    // The body as text, read from the response once, for every answer but a streamed
    // download's 2xx (whose body stays in the response for the caller to take).
    std::string body;
};

// Addresses, signs (afresh for every attempt), sends and retries requests
// for one client. The clock is taken when each attempt is signed, corrected by
// the offset learnt from a RequestTimeTooSkewed answer.
class RequestExecutor {
  public:
    RequestExecutor(const Aws::Auth::AWSCredentials& credentials,
                    const Aws::Client::ClientConfiguration& configuration,
                    Aws::Client::AWSAuthV4Signer::PayloadSigningPolicy policy,
                    bool useVirtualAddressing);

    [[nodiscard]] OperationAnswer execute(const OperationRequest& request);

  private:
    struct PreparedBody;
    std::optional<Aws::S3::S3Error> prepareBody(const OperationRequest& request,
                                                PreparedBody& prepared) const;
    HttpRequest buildAttempt(const OperationRequest& request, const PreparedBody& body) const;
    OperationAnswer classify(const OperationRequest& request, HttpResponse response) const;
    void learnClockSkew(const HttpResponse& response);

    // Set when requests cannot be addressed at all (a region name that would
    // not form a host name); every request then fails with it.
    std::optional<Aws::S3::S3Error> m_configurationError;
    Aws::Auth::AWSCredentials m_credentials;
    std::string m_region;
    Endpoint m_endpoint;
    bool m_useVirtualAddressing;
    bool m_signPayloadOverHttps;
    TransportSettings m_settings;
    RetryPolicy m_retry;
    std::chrono::system_clock::duration m_clockSkew{};
    Transport m_transport;
};

}  // namespace skrw::aws
