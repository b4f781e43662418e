#include "Retry.h"

#include "EnvironmentSetting.h"

namespace skrw::aws {
namespace {

constexpr std::chrono::milliseconds kDefaultBase{25};

}  // namespace

RetryPolicy::RetryPolicy(long maxRetries, std::chrono::milliseconds base)
    : m_maxRetries(maxRetries), m_base(base) {}

RetryPolicy RetryPolicy::fromEnvironment(long maxRetries) {
    return RetryPolicy(
        maxRetries,
        millisecondsFromEnvironment("SKRW_AWS_RETRY_BASE_DELAY_MS", 0).value_or(kDefaultBase));
}

bool RetryPolicy::shouldRetry(const Aws::S3::S3Error& error, long retriesSoFar) const {
    return error.ShouldRetry() && retriesSoFar < m_maxRetries;
}

std::chrono::milliseconds RetryPolicy::delayBefore(long retryIndex) const {
    const long shift = retryIndex < 30 ? retryIndex : 30;
    return m_base * (1L << shift);
}

}  // namespace skrw::aws
