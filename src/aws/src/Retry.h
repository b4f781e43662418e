#pragma once

#include <aws/s3/S3Errors.h>

#include <chrono>

namespace skrw::aws {

// The SDK's default retry strategy: up to maxRetries retries of retryable
// failures, waiting base * 2^n before retry n (n from 0). The base is 25 ms,
// or SKRW_AWS_RETRY_BASE_DELAY_MS from the environment when that is a
// non-negative integer (tests make it small).
class RetryPolicy {
  public:
    RetryPolicy(long maxRetries, std::chrono::milliseconds base);
    static RetryPolicy fromEnvironment(long maxRetries);

    [[nodiscard]] bool shouldRetry(const Aws::S3::S3Error& error, long retriesSoFar) const;
    std::chrono::milliseconds delayBefore(long retryIndex) const;

  private:
    long m_maxRetries;
    std::chrono::milliseconds m_base;
};

}  // namespace skrw::aws
