#include <aws/core/Aws.h>
#include <curl/curl.h>

#include <mutex>

namespace Aws {
namespace {

// libcurl's global state is set up by the first InitAPI and torn down by the
// last matching ShutdownAPI.
std::mutex& initLock() {
    static std::mutex lock;
    return lock;
}
int& initCount() {
    static int count = 0;
    return count;
}

}  // namespace

void InitAPI(const SDKOptions& /*options*/) {
    std::lock_guard<std::mutex> guard(initLock());
    if (initCount()++ == 0) curl_global_init(CURL_GLOBAL_DEFAULT);
}

void ShutdownAPI(const SDKOptions& /*options*/) {
    std::lock_guard<std::mutex> guard(initLock());
    if (initCount() > 0 && --initCount() == 0) curl_global_cleanup();
}

}  // namespace Aws
