#pragma once

#include <aws/core/http/Scheme.h>
#include <aws/core/utils/memory/stl/AWSString.h>

namespace Aws::Client {

// Settings of one client. The defaults are the SDK's: region us-east-1, HTTPS,
// connect time-out 1 s, and a "request time-out" that is a low-speed limit: a
// transfer moving less than lowSpeedLimit bytes per second (1) for
// requestTimeoutMs is abandoned, however long the whole transfer takes. Once a
// whole request body has been sent, the server is given up to two minutes to
// begin its answer (storing a large upload takes time).
//
// The endpoint is the region's default one unless the environment names one
// (AWS_ENDPOINT_URL_S3, else AWS_ENDPOINT_URL); the scheme then comes from
// that URL.
struct ClientConfiguration {
    Aws::String region = "us-east-1";
    Aws::Http::Scheme scheme = Aws::Http::Scheme::HTTPS;
    long connectTimeoutMs = 1000;
    long requestTimeoutMs = 3000;
    unsigned long lowSpeedLimit = 1;  // bytes per second; 0 counts as 1
    // Certificate checks; kept on: no retry mends a failed check.
    bool verifySSL = true;
    // Upper bound of retries after the first attempt (SDK default strategy).
    long maxRetries = 10;
};

}  // namespace Aws::Client
