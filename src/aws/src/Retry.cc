#include "Retry.h"

#include <cstdlib>
#include <string>

namespace skrw::aws {
namespace {

constexpr std::chrono::milliseconds kDefaultBase{25};

std::chrono::milliseconds baseFromEnvironment() {
    const char* text = std::getenv("SKRW_AWS_RETRY_BASE_DELAY_MS");
    if (text == nullptr || *text == '\0') return kDefaultBase;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0) return kDefaultBase;
    return std::chrono::milliseconds(value);
}

}  // namespace

RetryPolicy::RetryPolicy(long maxRetries, std::chrono::milliseconds base)
    : m_maxRetries(maxRetries), m_base(base) {}

RetryPolicy RetryPolicy::fromEnvironment(long maxRetries) {
    return RetryPolicy(maxRetries, baseFromEnvironment());
}

bool RetryPolicy::shouldRetry(const Aws::S3::S3Error& error, long retriesSoFar) const {
    return error.ShouldRetry() && retriesSoFar < m_maxRetries;
}

std::chrono::milliseconds RetryPolicy::delayBefore(long retryIndex) const {
    const long shift = retryIndex < 30 ? retryIndex : 30;
    return m_base * (1L << shift);
}

}  // namespace skrw::aws
